// The entry of the benchmarks that build widgets: they run headless on Qt's
// offscreen platform.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

namespace velmora::bench {

inline int run_offscreen(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace velmora::bench
