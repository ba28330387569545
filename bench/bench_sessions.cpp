// Reading the open pages from a browser's session file on disk, for the
// largest sessions a person plausibly has: a 10 MB Firefox file (several
// times that once unpacked) and a 10 MB Chromium log of every navigation;
// and the titles of untitled Chromium pages from a History database near
// its size limit. Each benchmark includes the read from the page cache.
#include <benchmark/benchmark.h>
#include <lz4.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bookmarks/sessions/browser_sessions.h"
#include "bookmarks/sessions/session_writers.h"

namespace {

namespace fs = std::filesystem;
using velmora::bookmarks::SessionFile;

constexpr std::size_t target_size = std::size_t{10} << 20;

// Addresses and titles vary like real ones, so LZ4 packs them no better.
class Words {
public:
    std::string word(std::size_t length) {
        static constexpr std::string_view letters = "abcdefghijklmnopqrstuvwxyz0123456789";
        std::string text(length, ' ');
        for (char& c : text) c = letters[random_() % letters.size()];
        return text;
    }
    std::size_t below(std::size_t limit) { return random_() % limit; }

private:
    std::mt19937 random_{7};
};

std::string firefox_tab(Words& words) {
    std::string tab = R"({"entries":[)";
    const std::size_t entries = 1 + words.below(6);
    for (std::size_t i = 0; i < entries; ++i) {
        if (i > 0) tab += ',';
        tab += R"({"url":"https://)" + words.word(8) + ".example.org/" + words.word(24) +
               R"(","title":"Page \u00e9 )" + words.word(30) + R"(","cacheKey":0,"ID":)" +
               std::to_string(words.below(100000)) + R"(,"docshellUUID":"{)" + words.word(36) +
               R"(}","persist":true,)" +
               R"("triggeringPrincipal_base64":"{\"3\":{}}","scroll":"0,)" +
               std::to_string(words.below(5000)) + R"("})";
    }
    return tab + R"(],"lastAccessed":1700000000000,"hidden":false,"attributes":{},"index":)" +
           std::to_string(1 + words.below(entries)) + "}";
}

// Windows of 200 tabs until the packed file reaches the target size; packing
// is tried only when the text should be large enough by the last ratio seen.
std::string firefox_file() {
    Words words;
    std::string windows;
    std::size_t text_wanted = target_size;
    for (;;) {
        while (windows.size() < text_wanted) {
            windows += windows.empty() ? R"({"tabs":[)" : R"(,{"tabs":[)";
            for (int tab = 0; tab < 200; ++tab) {
                if (tab > 0) windows += ',';
                windows += firefox_tab(words);
            }
            windows += R"(],"selected":1,"_closedTabs":[]})";
        }
        const std::string text = R"({"version":["sessionrestore",1],"windows":[)" + windows +
                                 R"(],"_closedWindows":[],"session":{}})";
        std::string file = velmora::testing::mozlz4(text);
        if (file.size() >= target_size) return file;
        const double ratio = static_cast<double>(text.size()) / static_cast<double>(file.size());
        text_wanted = static_cast<std::size_t>(ratio * 1.02 * static_cast<double>(target_size));
    }
}

// Tabs opened in windows of 50, each visiting pages and going back now and
// then, some closed again: the commands a long browsing day leaves behind.
std::string chromium_file() {
    using velmora::testing::SnssWriter;
    Words words;
    SnssWriter log;
    for (std::int32_t tab = 1; log.bytes().size() < target_size; ++tab) {
        log.tab(1 + tab / 50, tab, tab % 50);
        const auto visits = static_cast<std::int32_t>(1 + words.below(8));
        for (std::int32_t index = 0; index < visits; ++index) {
            const std::string title = "Page " + words.word(30);
            log.visit(tab, index, "https://" + words.word(8) + ".example.org/" + words.word(24),
                      std::u16string(title.begin(), title.end()), 200);
            log.numbers(SnssWriter::selected_navigation, {tab, index});
        }
        if (visits > 2) log.numbers(SnssWriter::selected_navigation, {tab, visits - 2});
        if (tab % 7 == 0) log.closed(SnssWriter::tab_closed, tab);
    }
    return log.bytes();
}

void read_from_disk(benchmark::State& state, SessionFile::Kind kind, const std::string& bytes) {
    const fs::path path = fs::temp_directory_path() / "velmora-bench-session";
    std::ofstream(path, std::ios::binary) << bytes;
    const SessionFile file{kind, path.string(), path.parent_path().string()};
    std::size_t pages = 0;
    for (auto _ : state) {
        const auto read = velmora::bookmarks::read_session_file(file);
        if (!read) state.SkipWithError("the session file was not read");
        pages = read ? read->size() : 0;
        benchmark::DoNotOptimize(pages);
    }
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / (1 << 20);
    state.counters["pages"] = static_cast<double>(pages);
    fs::remove(path);
}

void BM_FirefoxSession10MB(benchmark::State& state) {
    static const std::string bytes = firefox_file();
    read_from_disk(state, SessionFile::Kind::firefox, bytes);
    const auto unpacked = static_cast<unsigned char>(bytes[8]) |
                          static_cast<unsigned char>(bytes[9]) << 8 |
                          static_cast<unsigned char>(bytes[10]) << 16 |
                          static_cast<unsigned>(static_cast<unsigned char>(bytes[11])) << 24;
    state.counters["json_MB"] = static_cast<double>(unpacked) / (1 << 20);
}
BENCHMARK(BM_FirefoxSession10MB)->Unit(benchmark::kMillisecond);

// Files built to expand as far as the reader lets them: one that unpacks
// into a 50 MB address and a 10 MB title (argument 0), one into 400,000 tabs
// and a tab of a million history entries (argument 1).
std::string expanding_file(bool many_tabs) {
    const auto tab = [](const std::string& url, const std::string& title) {
        return R"({"entries":[{"url":")" + url + R"(","title":")" + title + R"("}],"index":1})";
    };
    std::string tabs;
    if (!many_tabs) {
        tabs = tab("https://huge.org/" + std::string(50'000'000, 'a'), "long") + "," +
               tab("https://ok.org/", std::string(10'000'000, 'a'));
    } else {
        tabs = R"({"entries":[)";
        for (int i = 0; i < 1'000'000; ++i) tabs += R"({"url":"https://h.org/"},)";
        tabs += R"({"url":"https://h.org/last"}],"index":1000001})";
        for (int i = 0; i < 400'000; ++i) {
            tabs += ',';
            tabs += tab("https://t.org/" + std::to_string(i), "t");
        }
    }
    return velmora::testing::mozlz4(R"({"windows":[{"tabs":[)" + tabs + "]}]}");
}

void BM_FirefoxSessionBuiltToExpand(benchmark::State& state) {
    read_from_disk(state, SessionFile::Kind::firefox, expanding_file(state.range(0) == 1));
}
BENCHMARK(BM_FirefoxSessionBuiltToExpand)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ChromiumSession10MB(benchmark::State& state) {
    static const std::string bytes = chromium_file();
    read_from_disk(state, SessionFile::Kind::chromium, bytes);
}
BENCHMARK(BM_ChromiumSession10MB)->Unit(benchmark::kMillisecond);

std::string read_whole(const fs::path& path);

// Years of browsing: 170,000 addresses with their titles, about 40 MB; and
// 500 open pages without titles, their addresses spread over that history.
struct History {
    fs::path file;
    std::vector<velmora::bookmarks::OpenPage> untitled;
};

const History& history() {
    static const History made = [] {
        History history{fs::temp_directory_path() / "velmora-bench-history", {}};
        fs::remove(history.file);
        Words words;
        std::vector<std::pair<std::string, std::string>> rows;
        for (int i = 0; i < 170'000; ++i) {
            rows.emplace_back("https://" + words.word(10) + ".example.org/" + words.word(60),
                              "Page " + words.word(50));
            if (i % 340 == 0) history.untitled.push_back({"", rows.back().first});
        }
        velmora::testing::write_history(history.file.string(), rows);
        std::atexit([] { fs::remove(fs::temp_directory_path() / "velmora-bench-history"); });
        return history;
    }();
    return made;
}

// History read from disk into memory and asked for all 500 titles.
void BM_ChromiumHistoryTitles40MB(benchmark::State& state) {
    const History& made = history();
    std::size_t titled = 0;
    for (auto _ : state) {
        std::vector<velmora::bookmarks::OpenPage> pages = made.untitled;
        velmora::bookmarks::add_history_titles(read_whole(made.file), pages);
        titled = static_cast<std::size_t>(std::count_if(
            pages.begin(), pages.end(), [](const auto& page) { return !page.title.empty(); }));
        benchmark::DoNotOptimize(titled);
    }
    if (titled != made.untitled.size()) state.SkipWithError("a page did not find its title");
    state.counters["history_MB"] = static_cast<double>(fs::file_size(made.file)) / (1 << 20);
}
BENCHMARK(BM_ChromiumHistoryTitles40MB)->Unit(benchmark::kMillisecond);

// Its reference: the same file read from disk.
void BM_ReferenceReadHistory(benchmark::State& state) {
    const History& made = history();
    for (auto _ : state) {
        const std::string read = read_whole(made.file);
        benchmark::DoNotOptimize(read.data());
    }
}
BENCHMARK(BM_ReferenceReadHistory)->Unit(benchmark::kMillisecond);

// The references, in the same run: what any reader has to do at least,
// reading the file and, for Firefox, unpacking its block.
std::string read_whole(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes(fs::file_size(path), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void BM_ReferenceReadAndUnpackFirefox(benchmark::State& state) {
    static const std::string bytes = firefox_file();
    const fs::path path = fs::temp_directory_path() / "velmora-bench-session-reference";
    std::ofstream(path, std::ios::binary) << bytes;
    std::string text(std::size_t{64} << 20, '\0');
    for (auto _ : state) {
        const std::string read = read_whole(path);
        const int unpacked =
            LZ4_decompress_safe(read.data() + 12, text.data(), static_cast<int>(read.size() - 12),
                                static_cast<int>(text.size()));
        benchmark::DoNotOptimize(unpacked);
    }
    fs::remove(path);
}
BENCHMARK(BM_ReferenceReadAndUnpackFirefox)->Unit(benchmark::kMillisecond);

void BM_ReferenceReadChromium(benchmark::State& state) {
    static const std::string bytes = chromium_file();
    const fs::path path = fs::temp_directory_path() / "velmora-bench-session-reference";
    std::ofstream(path, std::ios::binary) << bytes;
    for (auto _ : state) {
        const std::string read = read_whole(path);
        benchmark::DoNotOptimize(read.data());
    }
    fs::remove(path);
}
BENCHMARK(BM_ReferenceReadChromium)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
