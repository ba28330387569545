#include "tools/search_templates.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "sys/text_util.h"
#include "sys/textcodec.h"

namespace velmora::tools {

namespace {

// The sites spoke HTTP and read their query values as GBK when this tool was
// built; GB18030 is byte-identical for every GBK character.
constexpr std::array<SiteEntry, 8> sites{{
    {Site::dictionary, "dict.cn", "/mini.php?q=%s"},
    {Site::train, "www.huochepiao.com", "/search/chaxun/result.asp?txtChuFa=%s&txtDaoDa=%s"},
    {Site::flight, "flight.qunar.com",
     "/site/oneway_list.htm?searchDepartureAirport=%s&searchArrivalAirport=%s"
     "&searchDepartureTime=%s"},
    {Site::shopping, "s.taobao.com", "/search?q=%s"},
    {Site::music, "mp3.sogou.com", "/music.so?query=%s"},
    {Site::video, "video.baidu.com", "/v?word=%s"},
    {Site::map, "map.sogou.com", "/?p=40031000&kw=%s"},
    {Site::software, "www.onlinedown.net", "/search.php?searchType=&so=%s"},
}};

const SiteEntry& entry(Site site) {
    return *std::find_if(sites.begin(), sites.end(),
                         [site](const SiteEntry& e) { return e.site == site; });
}

Site band_site(Band band) {
    switch (band) {
        case Band::train: return Site::train;
        case Band::flight: return Site::flight;
        case Band::shopping: return Site::shopping;
        case Band::music: return Site::music;
        case Band::video: return Site::video;
        case Band::map: return Site::map;
        case Band::software: return Site::software;
    }
    return Site::train;
}

std::size_t field_count(Band band) {
    if (band == Band::train) return 2;
    if (band == Band::flight) return 3;
    return 1;
}

bool unreserved(unsigned char c) {
    return std::isalnum(c) != 0 || c == '-' || c == '.' || c == '_' || c == '~';
}

}  // namespace

const std::array<SiteEntry, 8>& site_table() {
    return sites;
}

std::string percent_encode(std::string_view utf8) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : text::to_gb18030(utf8)) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x80 && unreserved(byte)) {
            out += ch;
            continue;
        }
        out += '%';
        out += hex[byte >> 4];
        out += hex[byte & 0x0F];
    }
    return out;
}

std::string site_address(Site site, const std::vector<std::string>& values,
                         std::string_view origin) {
    const SiteEntry& e = entry(site);
    std::string address = origin.empty() ? "http://" + std::string(e.host) : std::string(origin);
    const std::string_view path = e.path_query;
    std::size_t next = 0;
    for (std::size_t at = 0; at < path.size(); ++at) {
        if (path.compare(at, 2, "%s") != 0) {
            address += path[at];
            continue;
        }
        if (next < values.size()) address += percent_encode(values[next]);
        ++next;
        ++at;
    }
    return address;
}

std::optional<std::string> dictionary_address(std::string_view word, std::string_view origin) {
    if (sys::trimmed(word).empty()) return std::nullopt;
    return site_address(Site::dictionary, {std::string(word)}, origin);
}

std::optional<std::string> search_address(Band band, const std::vector<std::string>& fields,
                                          std::string_view origin) {
    if (fields.size() < field_count(band)) return std::nullopt;
    std::vector<std::string> values;
    for (std::size_t i = 0; i < field_count(band); ++i) {
        values.push_back(sys::trimmed(fields[i]));
        if (values.back().empty()) return std::nullopt;
    }
    return site_address(band_site(band), values, origin);
}

std::string flight_date(int year, int month, int day) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    return text;
}

KeyEffect key_effect(Field field, Key key, bool field_blank) {
    using Kind = KeyEffect::Kind;
    if (field == Field::fly_date) {
        if (key == Key::other) return {};
        return {Kind::search, Field::fly_date, Band::flight};
    }
    if (key != Key::enter || field_blank) return {};
    switch (field) {
        case Field::begin: return {Kind::focus, Field::end, {}};
        case Field::end: return {Kind::search, {}, Band::train};
        case Field::fly_city1: return {Kind::focus, Field::fly_city2, {}};
        case Field::fly_city2: return {Kind::focus, Field::fly_date, {}};
        case Field::buy: return {Kind::search, {}, Band::shopping};
        case Field::music: return {Kind::search, {}, Band::music};
        case Field::movie: return {Kind::search, {}, Band::video};
        case Field::map: return {Kind::search, {}, Band::map};
        case Field::soft: return {Kind::search, {}, Band::software};
        case Field::fly_date: break;
    }
    return {};
}

namespace {

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The value after "charset=" in `text`, lower case; empty when none.
std::string charset_in(std::string_view text) {
    const std::string low = lower(text);
    const std::size_t at = low.find("charset=");
    if (at == std::string::npos) return {};
    std::size_t begin = at + 8;
    while (begin < low.size() && (low[begin] == '"' || low[begin] == '\'')) ++begin;
    std::size_t end = begin;
    while (end < low.size() && (std::isalnum(static_cast<unsigned char>(low[end])) != 0 ||
                                low[end] == '-' || low[end] == '_')) {
        ++end;
    }
    return low.substr(begin, end - begin);
}

bool is_gb_charset(const std::string& charset) {
    return charset == "gb2312" || charset == "gbk" || charset == "gb18030" || charset == "x-gbk";
}

}  // namespace

std::string page_text(std::string_view body, std::string_view content_type) {
    std::string charset = charset_in(content_type);
    // A meta tag sits in the page's head, near its start.
    if (charset.empty())
        charset = charset_in(body.substr(0, std::min<std::size_t>(body.size(), 4096)));
    const bool gb = charset.empty() ? !sys::is_valid_utf8(body) : is_gb_charset(charset);
    return gb ? text::from_gb18030(body) : std::string(body);
}

}  // namespace velmora::tools
