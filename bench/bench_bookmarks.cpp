// The bookmark page's costs on a 20,000-item container holding 5,000
// bookmarks in 100 folders: building the tree from the container, and a
// find for a term every bookmark's name holds, grid filled.
#include <benchmark/benchmark.h>

#include <QLineEdit>
#include <QTableWidget>
#include <QTreeWidget>

#include "bench_container.h"
#include "bookmarks/widgets/uFX_find.h"
#include "offscreen_main.h"
#include "store/fx_tree.h"
#include "store/widgets/ukx_fxtree.h"

namespace {

using velmora::bench::BenchContainer;

BenchContainer& container_with_folders() {
    static BenchContainer container(true);
    return container;
}

void BM_FxtreeLoad(benchmark::State& state) {
    container_with_folders();
    QTreeWidget view;
    velmora::store::ImageList images = velmora::store::fixed_images();
    const velmora::store::FxTree tree{&view, "plumora_url", &images, "url"};
    for (auto _ : state) velmora::store::fxtree_load(tree);
    state.counters["nodes"] = static_cast<double>(velmora::store::all_nodes(&view).size());
}
BENCHMARK(BM_FxtreeLoad)->Unit(benchmark::kMillisecond);

// The reference in the same run: the container's listing alone, which
// every tree and every find reads first.
void BM_ReferenceListing(benchmark::State& state) {
    container_with_folders();
    std::vector<velmora::store::ListedItem> items;
    for (auto _ : state) velmora::store::list_container(items);
    state.counters["items"] = static_cast<double>(items.size());
}
BENCHMARK(BM_ReferenceListing)->Unit(benchmark::kMillisecond);

void BM_FindCommonTerm(benchmark::State& state) {
    container_with_folders();
    QTreeWidget view;
    velmora::bookmarks::Tform_find dialog(nullptr, "plumora_url", &view);
    dialog.Edit1->setText("SITE");
    for (auto _ : state) dialog.button1Click();
    state.counters["rows"] = dialog.StringGrid1->rowCount();
}
BENCHMARK(BM_FindCommonTerm)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return velmora::bench::run_offscreen(argc, argv);
}
