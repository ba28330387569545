#include "bookmarks/sessions/session_common.h"

#include <algorithm>

#include "bookmarks/bookmark_rules.h"

namespace velmora::bookmarks::detail {

namespace {

void cut_title(std::string& title) {
    if (title.size() <= page_title_limit) return;
    std::size_t cut = page_title_limit;
    while (cut > 0 && (static_cast<unsigned char>(title[cut]) & 0xC0) == 0x80) --cut;
    title.resize(cut);
}

}  // namespace

bool worth_keeping(const OpenPage& page) {
    return page.address.size() <= page_address_limit && may_open(page.address);
}

void keep_web_pages(std::vector<OpenPage>& pages) {
    const auto not_kept = [](const OpenPage& page) { return !worth_keeping(page); };
    pages.erase(std::remove_if(pages.begin(), pages.end(), not_kept), pages.end());
    if (pages.size() > open_page_limit) pages.resize(open_page_limit);
    for (OpenPage& page : pages) cut_title(page.title);
}

}  // namespace velmora::bookmarks::detail
