// Reading the remote settings at start, side by side: a small file as the
// vendor serves it, and a 1 MB file (the largest the download keeps) built
// to make the program read every key it can behind 60,000 padding lines.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/settings.h"
#include "sys/atomicfile.h"
#include "sys/inifile.h"

namespace {

std::string announcements(int count) {
    std::string lines = "time=5000\r\ncount=" + std::to_string(count) + "\r\n";
    for (int i = 1; i <= count; ++i) {
        lines += std::to_string(i) + "=announcement " + std::to_string(i) + "|https://x.example/" +
                 std::to_string(i) + "\r\n";
    }
    return lines;
}

std::string small_file() {
    return "[interface]\r\nlastver2=2011.O\r\n[ad]\r\n" + announcements(3);
}

std::string hostile_file() {
    std::string bytes = "[interface]\r\nlastver2=2011.O\r\n[ad]\r\n";
    for (int i = 0; i < 60000; ++i) bytes += "pad" + std::to_string(i) + "=xxxxx\r\n";
    return bytes + announcements(1000);
}

void read_file_at_start(benchmark::State& state, const std::string& bytes) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "velmora-bench-zenqrset.kxi").string();
    velmora::sys::write_file_atomic(path, bytes, false);
    for (auto _ : state) {
        const auto remote = velmora::app::read_remote_settings(
            velmora::ini::IniDocument::load(path), velmora::app::Addresses{});
        benchmark::DoNotOptimize(remote.ad_lines.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
    std::filesystem::remove(path);
}

void BM_RemoteSettingsSmall(benchmark::State& state) {
    read_file_at_start(state, small_file());
}
BENCHMARK(BM_RemoteSettingsSmall)->Unit(benchmark::kMicrosecond);

void BM_RemoteSettingsHostile1MB(benchmark::State& state) {
    read_file_at_start(state, hostile_file());
}
BENCHMARK(BM_RemoteSettingsHostile1MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
