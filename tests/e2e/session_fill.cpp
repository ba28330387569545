// Writes a Firefox session file built to expand as far as a reader lets
// it: about a megabyte that unpacks into a 40 MB address and 300,000 tabs.
// Argument: the file to write.
#include <fstream>
#include <iostream>
#include <string>

#include "bookmarks/sessions/session_writers.h"

namespace {

std::string tab(const std::string& url, const std::string& title) {
    return R"({"entries":[{"url":")" + url + R"(","title":")" + title + R"("}],"index":1})";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: session_fill FILE\n";
        return 2;
    }
    std::string tabs = tab("https://huge.example/" + std::string(40'000'000, 'a'), "huge");
    for (int i = 0; i < 300'000; ++i) {
        tabs += ',';
        tabs += tab("https://tab.example/" + std::to_string(i), "第 " + std::to_string(i) + " 页");
    }
    std::ofstream(argv[1], std::ios::binary)
        << velmora::testing::mozlz4(R"({"windows":[{"tabs":[)" + tabs + "]}]}");
    return 0;
}
