// Reading the open pages from a browser's session file on disk, for the
// largest sessions a person plausibly has: a 10 MB Firefox file (several
// times that once unpacked) and a 10 MB Chromium log of every navigation.
// Each benchmark includes the read from the page cache and the parse.
#include <benchmark/benchmark.h>
#include <lz4.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bookmarks/browser_sessions.h"

namespace {

namespace fs = std::filesystem;
using velmora::bookmarks::SessionFile;

constexpr std::size_t target_size = std::size_t{10} << 20;

void append_le32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

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

std::string lz4_block(const std::string& text) {
    std::string block(static_cast<std::size_t>(LZ4_compressBound(static_cast<int>(text.size()))),
                      '\0');
    block.resize(static_cast<std::size_t>(LZ4_compress_default(
        text.data(), block.data(), static_cast<int>(text.size()), static_cast<int>(block.size()))));
    return block;
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
        const std::string block = lz4_block(text);
        if (block.size() >= target_size) {
            std::string file("mozLz40\0", 8);
            append_le32(file, static_cast<std::uint32_t>(text.size()));
            return file + block;
        }
        const double ratio = static_cast<double>(text.size()) / static_cast<double>(block.size());
        text_wanted = static_cast<std::size_t>(ratio * 1.02 * static_cast<double>(target_size));
    }
}

class SnssLog {
public:
    SnssLog() : bytes_("SNSS") { append_le32(bytes_, 3); }
    void numbers(unsigned char command, std::initializer_list<std::int32_t> values) {
        std::string payload;
        for (std::int32_t value : values) append_le32(payload, static_cast<std::uint32_t>(value));
        record(command, payload);
    }
    void visit(std::int32_t tab, std::int32_t index, const std::string& url,
               const std::string& ascii_title) {
        std::string pickle;
        append_le32(pickle, static_cast<std::uint32_t>(tab));
        append_le32(pickle, static_cast<std::uint32_t>(index));
        padded(pickle, url.size(), url);
        std::string utf16;
        for (char c : ascii_title) utf16 += {c, '\0'};
        padded(pickle, ascii_title.size(), utf16);
        padded(pickle, 200, std::string(200, 'p'));  // page state
        std::string payload;
        append_le32(payload, static_cast<std::uint32_t>(pickle.size()));
        record(6, payload + pickle);
    }
    const std::string& bytes() const { return bytes_; }

private:
    void record(unsigned char command, const std::string& payload) {
        const std::size_t size = payload.size() + 1;
        bytes_ += {static_cast<char>(size & 0xFF), static_cast<char>(size >> 8),
                   static_cast<char>(command)};
        bytes_ += payload;
    }
    static void padded(std::string& pickle, std::size_t length, const std::string& bytes) {
        append_le32(pickle, static_cast<std::uint32_t>(length));
        pickle += bytes;
        pickle.append((4 - bytes.size() % 4) % 4, '\0');
    }
    std::string bytes_;
};

// Tabs opened in windows of 50, each visiting pages and going back now and
// then, some closed again: the commands a long browsing day leaves behind.
std::string chromium_file() {
    Words words;
    SnssLog log;
    for (std::int32_t tab = 1; log.bytes().size() < target_size; ++tab) {
        const std::int32_t window = 1 + tab / 50;
        log.numbers(0, {window, tab});
        log.numbers(2, {tab, tab % 50});
        const auto visits = static_cast<std::int32_t>(1 + words.below(8));
        for (std::int32_t index = 0; index < visits; ++index) {
            log.visit(tab, index, "https://" + words.word(8) + ".example.org/" + words.word(24),
                      "Page " + words.word(30));
            log.numbers(7, {tab, index});
        }
        if (visits > 2) log.numbers(7, {tab, visits - 2});
        if (tab % 7 == 0) log.numbers(16, {tab, 0, 0, 0});
    }
    return log.bytes();
}

void read_from_disk(benchmark::State& state, SessionFile::Kind kind, const std::string& bytes) {
    const fs::path path = fs::temp_directory_path() / "velmora-bench-session";
    std::ofstream(path, std::ios::binary) << bytes;
    const SessionFile file{kind, path.string()};
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

void BM_ChromiumSession10MB(benchmark::State& state) {
    static const std::string bytes = chromium_file();
    read_from_disk(state, SessionFile::Kind::chromium, bytes);
}
BENCHMARK(BM_ChromiumSession10MB)->Unit(benchmark::kMillisecond);

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
