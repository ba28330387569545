#include "update/ad_rotation.h"
#include "sys/error_text.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "sys/platform.h"
#include "sys/prompts.h"

namespace velmora::update {

namespace {

std::string trimmed(const std::string& text) {
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto begin = std::find_if_not(text.begin(), text.end(), blank);
    auto end = std::find_if_not(text.rbegin(), std::string::const_reverse_iterator(begin), blank);
    return {begin, end.base()};
}

std::string lower_scheme(const std::string& address) {
    const std::size_t colon = address.find(':');
    if (colon == std::string::npos) return {};
    std::string scheme = address.substr(0, colon);
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme;
}

}  // namespace

AdLine parse_ad_line(const std::string& line) {
    const std::size_t bar = line.find('|');
    if (bar == std::string::npos) return {{}, line, false};
    AdLine ad{line.substr(0, bar), line.substr(bar + 1), false};
    ad.highlighted = ad.caption.starts_with("<>");
    return ad;
}

AdRotation::AdRotation(std::string first_caption, std::string first_link) {
    labels_[0] = {shown_top, {std::move(first_caption), std::move(first_link), false}};
    labels_[1] = {parked_top, {}};
}

void AdRotation::set_lines(std::vector<std::string> lines) {
    ad_lines_ = std::move(lines);
    if (!ad_lines_.empty()) ad_index_ = 0;
}

int AdRotation::next_line() {
    if (ad_lines_.empty()) return -1;
    // The list may have been changed since the last tick.
    if (ad_index_ < 0 || static_cast<std::size_t>(ad_index_) >= ad_lines_.size()) ad_index_ = 0;
    const int target = ad_slot_ == 1 ? 1 : 0;
    labels_[static_cast<std::size_t>(target)].line =
        parse_ad_line(ad_lines_[static_cast<std::size_t>(ad_index_)]);
    ++ad_index_;
    if (static_cast<std::size_t>(ad_index_) >= ad_lines_.size()) ad_index_ = 0;
    return target;
}

bool AdRotation::slide() {
    AdLabel& in = incoming();
    AdLabel& out = outgoing();
    if (in.top <= arrived_top) {
        out.top = in.top + line_spacing;
        ad_slot_ = ad_slot_ == 1 ? 2 : 1;
        return true;
    }
    out.top -= slide_step;
    in.top = out.top + line_spacing;
    return false;
}

std::string openable_announcement(const std::string& link) {
    std::string address = trimmed(link);
    const std::string scheme = lower_scheme(address);
    if (scheme == "http" || scheme == "https" || scheme == "mailto") return address;
    return {};
}

bool open_published_address(sys::Platform& platform, sys::Prompts& prompts, const std::string& link,
                            bool tell_refusal) {
    const std::string address = openable_announcement(link);
    if (address.empty()) {
        if (tell_refusal) prompts.inform("这个地址不是网页或邮件地址，没有打开：" + link);
        return false;
    }
    int error = 0;
    if (platform.open_address(address, error)) return true;
    prompts.inform("无法打开网址：" + sys::error_text(error), {}, sys::PromptIcon::error);
    return false;
}

}  // namespace velmora::update
