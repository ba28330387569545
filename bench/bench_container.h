// The container the benchmarks run on: 20,000 items, twenty years of daily
// plans and notes plus bookmarks, built once per benchmark program.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/container_names.h"
#include "store/kx_efs.h"

namespace velmora::bench {

namespace fs = std::filesystem;
using store::container_password;

constexpr int days = 7300;  // twenty years
constexpr int bookmarks = 20000 - 2 * days - 5;

inline std::string day_key(int day) {
    // Any eight-digit key works for the store; real ones are dates.
    return std::to_string(20000101 + (day / 365) * 10000 + (day % 365 / 28 + 1) * 100 + day % 28 +
                          1);
}

inline std::string plan_record(int day) {
    std::string record;
    for (int task = 0; task < 1 + day % 5; ++task) {
        record += "B\xBD\xF8\xD0\xD0\xD6\xD0\xCD\xEA\xB3\xC9\xB1\xA8\xB8\xE6 " +
                  std::to_string(task) + "\r\n";
    }
    return record;
}

struct BenchContainer {
    fs::path root;
    std::string container;
    std::string work;
    std::vector<std::string> plan_names;

    // Bookmarks all below the root; or, `in_folders`, 5,000 of them in 100
    // folders, with more notes so that the container still holds 20,000 items.
    explicit BenchContainer(bool in_folders = false) {
        root = fs::temp_directory_path() / ("velmora-bench-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "zenqplumora");
        container = (root / "zenqdata.fx").string();
        work = (root / "zenqplumora").string();
        FX_Createoropenfx(container, container_password, 0, "fileX", "ccc");
        for (const char* top : velmora::store::top_folders) FX_Addnode(0, top);
        fill(
            "plumora_plan", days, [](int i) { return day_key(i) + ".txt"; }, plan_record);
        const int notes = in_folders ? days + bookmarks - folders * (1 + per_folder) : days;
        fill(
            "plumora_note", notes,
            [](int i) { return i < days ? day_key(i) + ".txt" : "extra " + std::to_string(i); },
            [](int i) { return std::string(200 + i % 400, 'n'); });
        if (in_folders) {
            fill_folders();
        } else {
            fill(
                "plumora_url", bookmarks, [](int i) { return "bookmark " + std::to_string(i); },
                [](int i) { return "http://example.org/" + std::to_string(i); });
        }
        for (int i = 0; i < days; ++i) plan_names.push_back("plumora_plan/" + day_key(i) + ".txt");
    }

    static constexpr int folders = 100;
    static constexpr int per_folder = 50;

    void fill_folders() {
        const int root_index = FX_Directory_Changenodenametoindex("plumora_url");
        for (int f = 0; f < folders; ++f) {
            const int made = FX_Directory_Getcount();
            FX_Addnode(root_index, "");
            const std::string name = "folder " + std::to_string(f);
            FX_Changeitemname(root_index, made, name);
            fill(
                "plumora_url/" + name, per_folder,
                [f](int i) { return "site " + std::to_string(f) + "." + std::to_string(i); },
                [](int i) { return "https://example.org/page/" + std::to_string(i); });
        }
    }
    ~BenchContainer() {
        FX_Closefx(1);
        fs::remove_all(root);
    }

    template <typename Name, typename Content>
    void fill(const std::string& folder, int count, Name name, Content content) {
        fs::path stage = root / "stage";
        fs::create_directories(stage);
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back((stage / name(i)).string());
            std::ofstream(paths.back(), std::ios::binary) << content(i);
        }
        FX_Inputall(1, FX_Directory_Changenodenametoindex(folder), paths, "", "", 1, "", 1);
        fs::remove_all(stage);
    }
};

// A new container with nothing but its top folders.
struct EmptyContainer {
    fs::path root = fs::temp_directory_path() / ("velmora-empty-" + std::to_string(getpid()));
    EmptyContainer() {
        fs::remove_all(root);
        fs::create_directories(root);
        FX_Createoropenfx((root / "zenqdata.fx").string(), container_password, 0, "fileX", "ccc");
        for (const char* top : velmora::store::top_folders) FX_Addnode(0, top);
    }
    ~EmptyContainer() {
        FX_Closefx(1);
        fs::remove_all(root);
    }
    int index(const std::string& name) const { return FX_Directory_Changenodenametoindex(name); }
};

inline BenchContainer& bench_container() {
    static BenchContainer container;
    return container;
}

}  // namespace velmora::bench
