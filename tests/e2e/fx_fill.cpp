// Prepares and inspects containers for the end-to-end tests of compaction.
//   fx_fill make CONTAINER   stores 200 files of 8 KB below the root and
//                            deletes every second one, leaving free pages
//   fx_fill sums CONTAINER   prints each listed file item's name and a hash
//                            of its content, to compare before and after
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "store/container_names.h"
#include "store/kx_efs.h"

namespace fs = std::filesystem;

namespace {

constexpr int file_count = 200;

std::uint64_t fnv1a(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ULL;
    return hash;
}

int make(const fs::path& scratch) {
    std::vector<std::string> paths;
    for (int i = 0; i < file_count; ++i) {
        const fs::path file = scratch / ("f" + std::to_string(1000 + i) + ".txt");
        std::ofstream(file, std::ios::binary) << std::string(8192, static_cast<char>('a' + i % 26));
        paths.push_back(file.string());
    }
    if (FX_Inputall(1, 0, paths, "", "", 0, "", 0) != 1) return 1;
    for (int i = 0; i < file_count; i += 2) {
        const int index =
            FX_Directory_Changenodenametoindex("f" + std::to_string(1000 + i) + ".txt");
        if (index < 0 || FX_Deleteitem(index, 0) != 1) return 1;
    }
    return 0;
}

int sums(const fs::path& scratch) {
    for (int i = 0; i < FX_Directory_Getcount(); ++i) {
        if (FX_Directory_Getitem_word("lb", i) != 0 ||
            FX_Directory_Getitem_word("itemtype", i) == 0x63)
            continue;
        const std::string name = FX_Directory_Getitem_String("itemname", i);
        if (FX_Outputall(1, scratch.string(), {std::to_string(i)}, 0, 0) != 1) return 1;
        const fs::path out = scratch / fs::path(name).filename();
        std::ostringstream content;
        content << std::ifstream(out, std::ios::binary).rdbuf();
        std::printf("%s %016llx\n", name.c_str(),
                    static_cast<unsigned long long>(fnv1a(content.str())));
        fs::remove(out);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fx_fill make|sums CONTAINER\n");
        return 2;
    }
    if (FX_Createoropenfx(argv[2], velmora::store::container_password, 0, "", "") != 1) {
        std::fprintf(stderr, "fx_fill: cannot open %s\n", argv[2]);
        return 1;
    }
    const fs::path scratch = fs::temp_directory_path() / ("fx_fill." + std::to_string(getpid()));
    fs::create_directories(scratch);
    const std::string mode = argv[1];
    const int status = mode == "make" ? make(scratch) : sums(scratch);
    fs::remove_all(scratch);
    FX_Closefx(1);
    return status;
}
