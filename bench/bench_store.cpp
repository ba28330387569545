// Benchmarks of the container's hot paths on a container of 20,000 items:
// twenty years of daily plans and notes plus bookmarks.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

#include <sqlite3.h>
#include <unistd.h>

#include "bench_container.h"
#include "store/container_file.h"
#include "store/kx_efs.h"
#include "store/password_hash.h"
#include "store/sqlite_db.h"
#include "sys/atomicfile.h"

namespace {

using velmora::bench::bench_container;
using velmora::bench::day_key;
using velmora::bench::days;
using velmora::bench::plan_record;
using velmora::store::container_password;
namespace fs = std::filesystem;

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

// The container's password verifier, computed at every open (10,000 rounds
// of PBKDF2-SHA-256): with the processor's SHA instructions, and in plain
// C++ as the reference in the same run (argument 1).
void BM_Verifier(benchmark::State& state) {
    velmora::store::use_portable_sha256(state.range(0) == 1);
    const std::string salt(16, '\x5a');
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            velmora::store::pbkdf2_sha256(container_password, salt, 10000, 32));
    }
    state.SetLabel(velmora::store::sha256_uses_processor_instructions() ? "SHA instructions"
                                                                        : "plain C++");
    velmora::store::use_portable_sha256(false);
}
BENCHMARK(BM_Verifier)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The part of the open that checks the container (SQLite's full
// integrity_check: every page, and every item looked up in every index),
// on its own: the price of refusing a damaged file and of finding an index
// out of step with its items.
void BM_OpenPageCheck(benchmark::State& state) {
    auto& fx = bench_container();
    FX_Closefx(1);
    {
        velmora::store::Database db(fx.container, SQLITE_OPEN_READWRITE);
        velmora::store::configure_connection(db);
        for (auto _ : state) {
            benchmark::DoNotOptimize(velmora::store::check_pages(db));
        }
    }
    FX_Createoropenfx(fx.container, container_password, 0, "fileX", "ccc");
}
BENCHMARK(BM_OpenPageCheck)->Unit(benchmark::kMillisecond);

// The page walk alone (quick_check), which the open ran before: it cannot
// see an index out of step with the items. The reference for the figure above.
void BM_OpenPageWalkOnly(benchmark::State& state) {
    auto& fx = bench_container();
    FX_Closefx(1);
    {
        velmora::store::Database db(fx.container, SQLITE_OPEN_READWRITE);
        velmora::store::configure_connection(db);
        for (auto _ : state) {
            velmora::store::Statement check(db.handle(), "PRAGMA quick_check(1)");
            benchmark::DoNotOptimize(check.step());
        }
    }
    FX_Createoropenfx(fx.container, container_password, 0, "fileX", "ccc");
}
BENCHMARK(BM_OpenPageWalkOnly)->Unit(benchmark::kMillisecond);

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

// Compaction of a container of N items with a gap after every item (every
// second one deleted), so that every item is renumbered.
void BM_CompactItems(benchmark::State& state) {
    const fs::path folder =
        fs::temp_directory_path() / ("velmora-compact-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string container = (folder / "zenqdata.fx").string();
    velmora::store::create_container_file(container, container_password);
    velmora::store::Database db(container, SQLITE_OPEN_READWRITE);
    db.exec(
        "BEGIN;"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(2 * state.range(0)) +
        ") INSERT INTO items(idx, name, type, content)"
        " SELECT i, CAST('plumora_note/' || i || '.txt' AS BLOB), 1, zeroblob(200) FROM n;"
        "DELETE FROM items WHERE idx % 2 = 0;"
        "COMMIT;");
    const std::string target = (folder / "zenqdata_1.~fx").string();
    for (auto _ : state) {
        if (!velmora::store::write_compacted_copy(db, target)) state.SkipWithError("copy failed");
        state.PauseTiming();
        fs::remove(target);
        state.ResumeTiming();
    }
    state.counters["items"] = static_cast<double>(state.range(0));
    fs::remove_all(folder);
}
BENCHMARK(BM_CompactItems)->Arg(20000)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
