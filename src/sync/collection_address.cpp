#include "sync/collection_address.h"

#include <cctype>
#include <string_view>

namespace velmora::sync {

std::pair<std::string, std::string> split_address(const std::string& url) {
    const std::size_t scheme = url.find("://");
    const std::size_t path = scheme == std::string::npos ? 0 : url.find('/', scheme + 3);
    if (path == std::string::npos) return {url, "/"};
    std::string folder = url.substr(path);
    if (folder.back() != '/') folder += '/';
    return {url.substr(0, path), folder};
}

// One spelling of an address's path, whichever way the server escapes it:
// every escape undone, then what a path may not hold escaped again.
std::string canonical_href(const std::string& href) {
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string plain;
    for (std::size_t i = 0; i < href.size(); ++i) {
        if (href[i] == '%' && i + 2 < href.size() && digit(href[i + 1]) >= 0 &&
            digit(href[i + 2]) >= 0) {
            plain += static_cast<char>(digit(href[i + 1]) * 16 + digit(href[i + 2]));
            i += 2;
        } else {
            plain += href[i];
        }
    }
    static const std::string_view allowed = "-._~/@!$&'()*+,;=:";
    static const char hex[] = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char c : plain) {
        if (std::isalnum(c) || allowed.find(static_cast<char>(c)) != std::string_view::npos) {
            escaped += static_cast<char>(c);
        } else {
            escaped += '%';
            escaped += hex[c >> 4];
            escaped += hex[c & 15];
        }
    }
    return escaped;
}

std::string file_name_of(const std::string& uid) {
    return canonical_href(uid) + ".ics";
}

}  // namespace velmora::sync
