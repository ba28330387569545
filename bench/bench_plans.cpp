// The plan page's costs on the 20,000-item container: adding a task and
// saving the day, and opening the plan manager over 7,300 stored days.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "bench_container.h"
#include "offscreen_main.h"
#include "plans/plan_list.h"
#include "plans/widgets/ufrm_schedule_manage.h"
#include "store/day_store.h"
#include "sys/prompts.h"

namespace {

using velmora::bench::bench_container;

class SilentPrompts : public velmora::sys::Prompts {
public:
    void inform(const std::string&, const std::string&, velmora::sys::PromptIcon) override {}
    bool ask_yes_no(const std::string&, const std::string&, bool,
                    velmora::sys::PromptIcon) override {
        return false;
    }
};

void BM_AddTaskAndSaveTheDay(benchmark::State& state) {
    auto& fx = bench_container();
    velmora::store::DayStore days(fx.work);
    int i = 0;
    for (auto _ : state) {
        const std::string key = velmora::bench::day_key(i++ % velmora::bench::days);
        velmora::store::PlanGrid grid;
        days.load_schedule(grid, key);
        velmora::plans::add_task(grid, "00one more task");
        days.savedata2fx_schedule2(grid, key);
    }
}
BENCHMARK(BM_AddTaskAndSaveTheDay)->Unit(benchmark::kMillisecond);

// Builds the window with its tree of every stored day and shows it.
void BM_OpenPlanManager(benchmark::State& state) {
    auto& fx = bench_container();
    velmora::store::DayStore days(fx.work);
    SilentPrompts prompts;
    std::string manage_daykey;
    for (auto _ : state) {
        velmora::plans::Tfrm_schedule_manage manager(
            nullptr, days, prompts,
            [](const velmora::store::PlanGrid&, const std::string&) {
                return velmora::store::FxError::none;
            },
            manage_daykey);
        manager.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(manager.RzTreeView1);
    }
}
BENCHMARK(BM_OpenPlanManager)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return velmora::bench::run_offscreen(argc, argv);
}
