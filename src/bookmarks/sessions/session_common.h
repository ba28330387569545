// What the Firefox and the Chromium session readers share: keeping only the
// pages worth a bookmark.
#pragma once

#include <vector>

#include "bookmarks/sessions/browser_sessions.h"

namespace velmora::bookmarks::detail {

// Drops the pages a person would not bookmark: browser-internal pages
// (about:, chrome://), source views, data and script addresses. The same
// rule decides what the bookmark page hands to a browser.
void keep_web_pages(std::vector<OpenPage>& pages);

}  // namespace velmora::bookmarks::detail
