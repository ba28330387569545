// The bookmark page's costs on a 20,000-item container holding 5,000
// bookmarks in 100 folders: building the tree from the container, and a
// find for a term every bookmark's name holds, grid filled. And the import
// of a bookmark file of 5,000 and of 100,000 bookmarks into a new
// container, parsing included, as the page's slices carry it out.
#include <benchmark/benchmark.h>

#include <memory>

#include <QLineEdit>
#include <QTableWidget>
#include <QTreeWidget>

#include "bench_container.h"
#include "bookmarks/bookmark_html.h"
#include "bookmarks/bookmark_import.h"
#include "bookmarks/bookmark_store.h"
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

// Folders of a hundred, Chinese titles, addresses as long as real ones.
std::string bookmark_file(int count) {
    std::vector<velmora::bookmarks::BookmarkNode> top;
    for (int i = 0; i < count; ++i) {
        if (i % 100 == 0) top.push_back({"收藏 " + std::to_string(i / 100), {}, true, {}});
        top.back().children.push_back({"网页标题 " + std::to_string(i),
                                       "https://www.example.org/articles/2026/" +
                                           std::to_string(i) + "/index.html?from=bookmarks",
                                       false,
                                       {}});
    }
    return velmora::bookmarks::write_bookmark_html(top);
}

void BM_ImportBookmarks(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string file = bookmark_file(count);
    velmora::bookmarks::ImportReport report;
    std::unique_ptr<velmora::bench::EmptyContainer> container;
    for (auto _ : state) {
        state.PauseTiming();  // a new container for every import, made and removed untimed
        container.reset();
        container = std::make_unique<velmora::bench::EmptyContainer>();
        state.ResumeTiming();
        velmora::bookmarks::ParsedBookmarks parsed = velmora::bookmarks::parse_bookmark_html(file);
        velmora::bookmarks::ImportRun run(container->index("plumora_url"), std::move(parsed.top));
        while (run.run_slice(std::chrono::milliseconds(40))) {
        }
        report = run.report();
    }
    container.reset();
    state.counters["bookmarks"] = report.bookmarks;
}
BENCHMARK(BM_ImportBookmarks)->Arg(5000)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportBookmarks)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

// The reference in the same run: the same bookmarks stored one at a time,
// each in a transaction of its own, as a typed bookmark is.
void BM_ReferenceOneTransactionEach(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    std::unique_ptr<velmora::bench::EmptyContainer> container;
    for (auto _ : state) {
        state.PauseTiming();
        container.reset();
        container = std::make_unique<velmora::bench::EmptyContainer>();
        const int root = container->index("plumora_url");
        state.ResumeTiming();
        for (int i = 0; i < count; ++i) {
            velmora::bookmarks::add_bookmark(
                root, {"网页标题 " + std::to_string(i),
                       "https://www.example.org/articles/2026/" + std::to_string(i)});
        }
    }
    container.reset();
}
BENCHMARK(BM_ReferenceOneTransactionEach)->Arg(5000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return velmora::bench::run_offscreen(argc, argv);
}
