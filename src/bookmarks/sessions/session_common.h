// What the Firefox and the Chromium session readers share: keeping only the
// pages worth a bookmark.
#pragma once

#include <vector>

#include "bookmarks/sessions/browser_sessions.h"

namespace velmora::bookmarks::detail {

// Drops the pages a person would not bookmark: browser-internal pages
// (about:, chrome://), source views, data and script addresses (the same
// rule decides what the bookmark page hands to a browser), and addresses
// past page_address_limit; cuts titles to page_title_limit and keeps at
// most open_page_limit pages.
void keep_web_pages(std::vector<OpenPage>& pages);
// Whether keep_web_pages keeps the page.
bool worth_keeping(const OpenPage& page);

}  // namespace velmora::bookmarks::detail
