// The month view's work without painting, on the 20,000-item container:
// filling one month (37 cells of engine calls and the plan and note
// lookups), and a whole day change without unsaved plans.
#include <benchmark/benchmark.h>

#include "bench_container.h"
#include "calendar/month_model.h"
#include "store/day_store.h"

namespace {

using velmora::bench::bench_container;
using velmora::calendar::Date;

const velmora::calendar::DayMarks stored{velmora::store::DayStore::has_plan,
                                         velmora::store::DayStore::has_note};

Date date_number(int i) {
    return {2001 + i % 20, 1 + i % 12, 1 + i % 28};
}

void BM_FillMonth(benchmark::State& state) {
    bench_container();
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::calendar::build_month(date_number(i++), stored));
    }
}
BENCHMARK(BM_FillMonth)->Unit(benchmark::kMicrosecond);

void BM_DayChange(benchmark::State& state) {
    auto& fx = bench_container();
    velmora::store::DayStore days(fx.work);
    velmora::store::PlanGrid grid;
    int i = 0;
    for (auto _ : state) {
        const Date date = date_number(i);
        const std::string key = velmora::bench::day_key(i++ % velmora::bench::days);
        benchmark::DoNotOptimize(velmora::calendar::build_month(date, stored));
        days.load_schedule(grid, key);
        std::string note;
        benchmark::DoNotOptimize(days.load_note(key, note));
        benchmark::DoNotOptimize(note);
    }
}
BENCHMARK(BM_DayChange)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
