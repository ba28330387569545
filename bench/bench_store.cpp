// Benchmarks of the container's hot paths on a container of 20,000 items:
// twenty years of daily plans and notes plus bookmarks.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "store/container_names.h"
#include "store/fxstore.h"
#include "store/kx_efs.h"
#include "sys/atomicfile.h"

namespace {

namespace fs = std::filesystem;
using velmora::store::container_password;

constexpr int days = 7300;  // twenty years
constexpr int bookmarks = 20000 - 2 * days - 5;

std::string day_key(int day) {
    // Any eight-digit key works for the store; real ones are dates.
    return std::to_string(20000101 + (day / 365) * 10000 + (day % 365 / 28 + 1) * 100 + day % 28 +
                          1);
}

std::string plan_record(int day) {
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

    BenchContainer() {
        root = fs::temp_directory_path() / ("velmora-bench-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "zenqplumora");
        container = (root / "zenqdata.fx").string();
        work = (root / "zenqplumora").string();
        FX_Createoropenfx(container, container_password, 0, "fileX", "ccc");
        for (const char* top : velmora::store::top_folders) FX_Addnode(0, top);
        fill(
            "plumora_plan", days, [](int i) { return day_key(i) + ".txt"; }, plan_record);
        fill(
            "plumora_note", days, [](int i) { return day_key(i) + ".txt"; },
            [](int i) { return std::string(200 + i % 400, 'n'); });
        fill(
            "plumora_url", bookmarks, [](int i) { return "bookmark " + std::to_string(i); },
            [](int i) { return "http://example.org/" + std::to_string(i); });
        for (int i = 0; i < days; ++i) plan_names.push_back("plumora_plan/" + day_key(i) + ".txt");
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

BenchContainer& bench_container() {
    static BenchContainer container;
    return container;
}

void BM_NameLookup(benchmark::State& state) {
    auto& fx = bench_container();
    std::mt19937 random(1);
    for (auto _ : state) {
        const std::string& name = fx.plan_names[random() % fx.plan_names.size()];
        benchmark::DoNotOptimize(FX_Directory_Changenodenametoindex(name));
    }
}
BENCHMARK(BM_NameLookup);

// Export one day record to the working folder, read it, delete the file.
void BM_DayLoad(benchmark::State& state) {
    auto& fx = bench_container();
    std::mt19937 random(2);
    for (auto _ : state) {
        const int day = static_cast<int>(random() % days);
        const int index = FX_Directory_Changenodenametoindex(fx.plan_names[day]);
        FX_Outputall(0, fx.work, {std::to_string(index)}, 1, 0);
        const std::string staged = fx.work + "/" + day_key(day) + ".txt";
        benchmark::DoNotOptimize(velmora::sys::read_file(staged));
        velmora::sys::remove_file(staged);
    }
}
BENCHMARK(BM_DayLoad);

// Write the staged record, import it over the old one; durable on return.
void BM_DaySave(benchmark::State& state) {
    auto& fx = bench_container();
    const int plan = FX_Directory_Changenodenametoindex("plumora_plan");
    std::mt19937 random(3);
    for (auto _ : state) {
        const int day = static_cast<int>(random() % days);
        const std::string staged = fx.work + "/" + day_key(day) + ".txt";
        velmora::sys::write_file_atomic(staged, plan_record(day + 1), false);
        FX_Inputall(1, plan, {staged}, "", "", 1, "", 0);
    }
}
BENCHMARK(BM_DaySave)->Unit(benchmark::kMillisecond);

void BM_Open(benchmark::State& state) {
    auto& fx = bench_container();
    FX_Closefx(1);
    for (auto _ : state) {
        FX_Createoropenfx(fx.container, container_password, 0, "fileX", "ccc");
        state.PauseTiming();
        FX_Closefx(1);
        state.ResumeTiming();
    }
    FX_Createoropenfx(fx.container, container_password, 0, "fileX", "ccc");
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

// The file size against the live data after many replacements of the same
// records: freed pages must be reused, not piled up.
void BM_ReplaceGrowth(benchmark::State& state) {
    auto& fx = bench_container();
    const int plan = FX_Directory_Changenodenametoindex("plumora_plan");
    const int replacements = static_cast<int>(state.range(0));
    std::mt19937 random(4);
    for (auto _ : state) {
        for (int i = 0; i < replacements; ++i) {
            const int day = static_cast<int>(random() % days);
            const std::string staged = fx.work + "/" + day_key(day) + ".txt";
            velmora::sys::write_file_atomic(staged, plan_record(static_cast<int>(random() % 9)),
                                            false);
            FX_Inputall(1, plan, {staged}, "", "", 1, "", 0);
        }
    }
    const double total = static_cast<double>(FX_Getfxsize(1));
    const double live = static_cast<double>(FX_Getfxsize(2));
    state.counters["file_MB"] = total / 1048576.0;
    state.counters["live_MB"] = live / 1048576.0;
    state.counters["file_per_live"] = total / live;
    state.counters["items"] = FX_Directory_Getcount();
}
BENCHMARK(BM_ReplaceGrowth)->Arg(20000)->Iterations(1)->Repetitions(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
