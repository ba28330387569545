#include "bookmarks/bookmark_html.h"

#include <algorithm>
#include <charconv>

#include "bookmarks/bookmark_rules.h"
#include "sys/text_util.h"
#include "sys/textcodec.h"
#include "sys/utf.h"

namespace velmora::bookmarks {

namespace {

constexpr std::size_t longest_title_text = std::size_t{64} << 10;

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_letters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

// "#123" or "#x1F600": a character that may stand in text, or nothing.
bool numeric_reference(std::string_view name, std::string& out) {
    if (name.size() < 2 || name[0] != '#') return false;
    const bool hex = lower(name[1]) == 'x';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    unsigned long code = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return false;
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    sys::append_utf8(out, static_cast<char32_t>(code));
    return true;
}

bool named_reference(std::string_view name, std::string& out) {
    static constexpr std::pair<std::string_view, std::string_view> names[] = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
    for (const auto& [entity, text] : names) {
        if (same_letters(name, entity)) {
            out += text;
            return true;
        }
    }
    return false;
}

// Runs of blanks and line breaks as one space, none at either end.
std::string collapsed(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (!is_space(c)) {
            out += c;
        } else if (!out.empty() && out.back() != ' ') {
            out += ' ';
        }
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// The end of the tag opened at `from` ('<'): the first '>' outside a quoted
// attribute value, or the end of the text.
std::size_t tag_end(std::string_view html, std::size_t from) {
    char quote = 0;
    char previous = 0;
    for (std::size_t i = from + 1; i < html.size(); ++i) {
        const char c = html[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if ((c == '"' || c == '\'') && previous == '=') {
            quote = c;
        } else if (c == '>') {
            return i;
        }
        if (!is_space(c)) previous = c;
    }
    return html.size();
}

std::string_view tag_name(std::string_view tag) {
    std::size_t end = tag.empty() || tag[0] != '/' ? 0 : 1;
    while (end < tag.size() && !is_space(tag[end]) && tag[end] != '/') ++end;
    return tag.substr(0, end);
}

// The value of the attribute `wanted` in the text of a tag, unescaped.
std::string attribute(std::string_view tag, std::string_view wanted) {
    std::size_t i = tag_name(tag).size();
    while (i < tag.size()) {
        while (i < tag.size() && (is_space(tag[i]) || tag[i] == '/')) ++i;
        const std::size_t name_from = i;
        while (i < tag.size() && !is_space(tag[i]) && tag[i] != '=') ++i;
        const std::string_view name = tag.substr(name_from, i - name_from);
        while (i < tag.size() && is_space(tag[i])) ++i;
        if (i >= tag.size() || tag[i] != '=') continue;
        ++i;
        while (i < tag.size() && is_space(tag[i])) ++i;
        std::size_t value_from = i;
        std::size_t value_end = 0;
        if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
            value_from = i + 1;
            value_end = std::min(tag.find(tag[i], value_from), tag.size());
            i = value_end + 1;
        } else {
            while (i < tag.size() && !is_space(tag[i])) ++i;
            value_end = i;
        }
        if (same_letters(name, wanted)) {
            return html_unescape(tag.substr(value_from, value_end - value_from));
        }
    }
    return {};
}

// --- The file's encoding ---------------------------------------------------

// Where a file declares its charset: a <meta> tag before the first list.
constexpr std::size_t charset_scan_limit = 8192;

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

// "text/html; charset=GB2312" -> "GB2312".
std::string_view charset_in_content(std::string_view content) {
    const std::string lower_content = lowered(content);
    const std::size_t at = lower_content.find("charset");
    if (at == std::string::npos) return {};
    std::size_t i = at + 7;
    while (i < content.size() && is_space(content[i])) ++i;
    if (i >= content.size() || content[i] != '=') return {};
    ++i;
    while (i < content.size() && (is_space(content[i]) || content[i] == '"' || content[i] == '\''))
        ++i;
    std::size_t end = i;
    while (end < content.size() && !is_space(content[end]) && content[end] != ';' &&
           content[end] != '"' && content[end] != '\'')
        ++end;
    return content.substr(i, end - i);
}

// The charset a <meta> tag of the file's head names, lower-cased; "" when
// none does.
std::string declared_charset(std::string_view html) {
    const std::string_view head = html.substr(0, charset_scan_limit);
    for (std::size_t open = head.find('<'); open != std::string_view::npos;
         open = head.find('<', open + 1)) {
        if (head.substr(open, 4) == "<!--") {
            open = head.find("-->", open + 4);
            if (open == std::string_view::npos) break;
            continue;
        }
        const std::size_t close = tag_end(head, open);
        if (close == head.size()) break;
        const std::string_view tag = head.substr(open + 1, close - open - 1);
        const std::string_view name = tag_name(tag);
        if (same_letters(name, "dl")) break;
        if (same_letters(name, "meta")) {
            std::string charset = attribute(tag, "charset");
            if (charset.empty())
                charset = std::string(charset_in_content(attribute(tag, "content")));
            if (!charset.empty()) return lowered(collapsed(charset));
        }
        open = close;
    }
    return {};
}

bool is_gb_family(std::string_view charset) {
    static constexpr std::string_view names[] = {
        "gb18030", "gbk",      "gb2312",   "x-gbk",      "cp936",   "ms936",    "windows-936",
        "euc-cn",  "x-euc-cn", "csgb2312", "gb_2312-80", "chinese", "iso-ir-58"};
    return std::find(std::begin(names), std::end(names), charset) != std::end(names);
}

bool is_utf8_name(std::string_view charset) {
    // A file read as bytes cannot be UTF-16 when its own <meta> was found
    // in ASCII: browsers read such a file as UTF-8 too.
    return charset == "utf-8" || charset == "utf8" || charset == "unicode-1-1-utf-8" ||
           charset.rfind("utf-16", 0) == 0;
}

// UTF-8 as far as it is UTF-8; a run of bytes beyond ASCII that is not is
// GB18030, what older programs on Chinese systems wrote. When most such
// runs are not UTF-8, the whole file is GB18030: its ASCII is the same, and
// a short GB18030 title may pass for UTF-8 by chance.
std::string utf8_or_gb18030(std::string_view bytes) {
    if (sys::is_valid_utf8(bytes)) return std::string(bytes);
    std::vector<std::pair<std::string_view, bool>> runs;  // the run, whether it is UTF-8
    std::size_t valid = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t end = i;
        const bool wide = static_cast<unsigned char>(bytes[i]) >= 0x80;
        while (end < bytes.size() && (static_cast<unsigned char>(bytes[end]) >= 0x80) == wide)
            ++end;
        const std::string_view run = bytes.substr(i, end - i);
        const bool utf8 = !wide || sys::is_valid_utf8(run);
        if (wide && utf8) ++valid;
        runs.emplace_back(run, utf8);
        i = end;
    }
    const auto invalid = static_cast<std::size_t>(
        std::count_if(runs.begin(), runs.end(), [](const auto& run) { return !run.second; }));
    if (invalid >= valid) return text::from_gb18030(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (const auto& [run, utf8] : runs) out += utf8 ? std::string(run) : text::from_gb18030(run);
    return out;
}

// The file as UTF-8: a byte order mark first, then the charset its head
// declares, then UTF-8 with GB18030 for what is not UTF-8.
std::string file_text(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return utf8_or_gb18030(bytes.substr(3));
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        const bool little = bytes[0] == '\xFF';
        if (auto text = text::decode(bytes.substr(2), little ? "UTF-16LE" : "UTF-16BE")) {
            return *text;
        }
    }
    const std::string charset = declared_charset(bytes);
    if (is_gb_family(charset)) return text::from_gb18030(bytes);
    // Browsers read a file declared Latin-1 or ASCII as windows-1252.
    const bool latin = charset == "iso-8859-1" || charset == "latin1" || charset == "us-ascii" ||
                       charset == "ascii";
    if (!charset.empty() && !is_utf8_name(charset)) {
        if (auto text = text::decode(bytes, latin ? "windows-1252" : charset)) return *text;
    }
    return utf8_or_gb18030(bytes);
}

class Parser {
public:
    explicit Parser(std::string_view html) : html_(html) {}
    ParsedBookmarks run();

private:
    struct Frame {
        std::vector<BookmarkNode>* list;
        std::size_t depth;
    };
    enum class Capture { none, folder, link };

    std::vector<BookmarkNode>* current() {
        return frames_.empty() ? &out_.top : frames_.back().list;
    }
    std::size_t depth() const { return frames_.empty() ? 0 : frames_.back().depth; }
    void on_tag(std::string_view tag);
    void open_list();
    void finish_capture();
    void take_text(std::string_view text);

    std::string_view html_;
    ParsedBookmarks out_;
    std::vector<Frame> frames_;
    BookmarkNode* pending_folder_ = nullptr;
    Capture capture_ = Capture::none;
    std::string text_;
    std::string href_;
};

ParsedBookmarks Parser::run() {
    std::size_t i = 0;
    while (i < html_.size()) {
        const std::size_t open = std::min(html_.find('<', i), html_.size());
        take_text(html_.substr(i, open - i));
        if (open == html_.size()) break;
        if (html_.substr(open, 4) == "<!--") {
            const std::size_t close = html_.find("-->", open + 4);
            i = close == std::string_view::npos ? html_.size() : close + 3;
            continue;
        }
        const std::size_t close = tag_end(html_, open);
        if (close == html_.size()) break;  // a tag never closed is no tag
        on_tag(html_.substr(open + 1, close - open - 1));
        i = close + 1;
    }
    finish_capture();
    return std::move(out_);
}

void Parser::take_text(std::string_view text) {
    if (capture_ == Capture::none || text_.size() >= longest_title_text) return;
    text_.append(text.substr(0, longest_title_text - text_.size()));
}

void Parser::on_tag(std::string_view tag) {
    const std::string_view name = tag_name(tag);
    if (same_letters(name, "!doctype")) {
        const std::string_view layout = "NETSCAPE-Bookmark-file-1";
        for (std::size_t i = 0; i + layout.size() <= tag.size() && !out_.recognised; ++i) {
            out_.recognised = same_letters(tag.substr(i, layout.size()), layout);
        }
    } else if (same_letters(name, "dl")) {
        finish_capture();
        open_list();
    } else if (same_letters(name, "/dl")) {
        finish_capture();
        pending_folder_ = nullptr;
        if (!frames_.empty()) frames_.pop_back();
    } else if (same_letters(name, "h3") || same_letters(name, "a")) {
        finish_capture();
        pending_folder_ = nullptr;
        capture_ = same_letters(name, "a") ? Capture::link : Capture::folder;
        href_ = capture_ == Capture::link ? attribute(tag, "href") : std::string();
    } else if (same_letters(name, "dt") || same_letters(name, "dd") || same_letters(name, "/h3") ||
               same_letters(name, "/a")) {
        finish_capture();
        // A folder's description (<DD>) may stand between its heading and
        // its list; a new entry (<DT>) means the folder has no list.
        if (same_letters(name, "dt")) pending_folder_ = nullptr;
    }
}

// A list right after a folder's heading holds that folder's items; any other
// list (the top one, or a stray one) adds to the list it stands in.
void Parser::open_list() {
    if (pending_folder_ != nullptr) {
        frames_.push_back({&pending_folder_->children, depth() + 1});
    } else {
        frames_.push_back({current(), depth()});
    }
    pending_folder_ = nullptr;
}

void Parser::finish_capture() {
    const Capture captured = capture_;
    capture_ = Capture::none;
    if (captured == Capture::none) return;
    std::string title = collapsed(html_unescape(text_));
    text_.clear();
    if (captured == Capture::link) {
        if (!href_.empty()) current()->push_back({std::move(title), std::move(href_), false, {}});
        href_.clear();
    } else if (depth() + 1 > deepest_folder) {
        ++out_.flattened_folders;  // its items join the folder it stands in
    } else {
        current()->push_back({std::move(title), {}, true, {}});
        pending_folder_ = &current()->back();
    }
}

void write_nodes(const std::vector<BookmarkNode>& nodes, const std::string& indent,
                 std::string& out) {
    for (const BookmarkNode& node : nodes) {
        if (node.folder) {
            out += indent + "<DT><H3>" + html_escape(node.title) + "</H3>\n";
            out += indent + "<DL><p>\n";
            write_nodes(node.children, indent + "    ", out);
            out += indent + "</DL><p>\n";
        } else {
            out += indent + "<DT><A HREF=\"" + html_escape(node.address) + "\">" +
                   html_escape(node.title) + "</A>\n";
        }
    }
}

}  // namespace

std::string html_escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string html_unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t semicolon =
            text[i] == '&' ? text.find(';', i + 1) : std::string_view::npos;
        if (semicolon != std::string_view::npos && semicolon - i <= 10) {
            const std::string_view name = text.substr(i + 1, semicolon - i - 1);
            if (numeric_reference(name, out) || named_reference(name, out)) {
                i = semicolon;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string write_bookmark_html(const std::vector<BookmarkNode>& top) {
    std::string out =
        "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
        "<!-- This is an automatically generated file.\n"
        "     It will be read and overwritten.\n"
        "     DO NOT EDIT! -->\n"
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n"
        "<TITLE>Bookmarks</TITLE>\n"
        "<H1>Bookmarks</H1>\n"
        "<DL><p>\n";
    write_nodes(top, "    ", out);
    out += "</DL><p>\n";
    return out;
}

// The limit counts the file's own bytes; its text as UTF-8 may be longer.
ParsedBookmarks parse_bookmark_html(std::string_view html) {
    const std::string text = file_text(html.substr(0, bookmark_html_limit));
    return Parser(text).run();
}

}  // namespace velmora::bookmarks
