// The addresses of a calendar collection and its members: the parts of the
// collection's address, one spelling of a member's path whichever way the
// server escapes it, and the member name an item of ours gets.
#pragma once

#include <string>
#include <utility>

namespace velmora::sync {

// "http://host:port" and "/path/" (ending in a separator).
std::pair<std::string, std::string> split_address(const std::string& url);
std::string canonical_href(const std::string& href);
// "<uid>.ics", escaped as a path needs it.
std::string file_name_of(const std::string& uid);

}  // namespace velmora::sync
