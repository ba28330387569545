#include "bookmarks/sessions/session_common.h"

#include <algorithm>

#include "bookmarks/bookmark_rules.h"

namespace velmora::bookmarks::detail {

void keep_web_pages(std::vector<OpenPage>& pages) {
    const auto not_web = [](const OpenPage& page) { return !may_open(page.address); };
    pages.erase(std::remove_if(pages.begin(), pages.end(), not_web), pages.end());
}

}  // namespace velmora::bookmarks::detail
