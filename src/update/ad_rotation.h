// The announcement strip's rotation without a window: which of the two
// labels takes the next line, what it shows, and where each label stands at
// every step of the slide. The strip widget copies these states onto its
// labels; tests drive the ticks directly.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace velmora::sys {
class Platform;
class Prompts;
}  // namespace velmora::sys

namespace velmora::update {

// Resting and start positions inside the 32-pixel strip.
inline constexpr int shown_top = 9;
inline constexpr int parked_top = 37;
inline constexpr int line_spacing = 30;
inline constexpr int slide_step = 5;
inline constexpr int arrived_top = 10;  // a label at or above this has arrived

// An announcement line: caption before the first "|", link after it; a
// line without "|" is all link.
struct AdLine {
    std::string caption;
    std::string link;
    bool highlighted = false;  // the caption starts with "<>": red, not grey
};
AdLine parse_ad_line(const std::string& line);

struct AdLabel {
    int top = 0;
    AdLine line;
};

class AdRotation {
public:
    // `first_caption` and `first_link` are what the visible label shows
    // before any line arrives.
    AdRotation(std::string first_caption, std::string first_link);

    std::vector<std::string>& lines() { return ad_lines_; }
    const std::vector<std::string>& lines() const { return ad_lines_; }
    // The list from the remote settings; rotation starts at its first line.
    void set_lines(std::vector<std::string> lines);
    void append(std::string line) { ad_lines_.push_back(std::move(line)); }

    // Writes the next line into the label whose turn it is and moves on;
    // the index of that label (0 = l_ad1, 1 = l_ad2), or -1 for no line.
    int next_line();
    // One step of the slide; true when the labels have arrived and the
    // slide timer should stop.
    bool slide();

    const AdLabel& label(int which) const { return labels_.at(static_cast<std::size_t>(which)); }
    int ad_index() const { return ad_index_; }
    int ad_slot() const { return ad_slot_; }

private:
    // The label that received the last line, and the other one.
    AdLabel& incoming() { return labels_[ad_slot_ == 1 ? 1 : 0]; }
    AdLabel& outgoing() { return labels_[ad_slot_ == 1 ? 0 : 1]; }

    std::vector<std::string> ad_lines_;
    int ad_index_ = 0;
    int ad_slot_ = 0;
    std::array<AdLabel, 2> labels_;
};

// Only web pages and mail are opened from a line: the lines come from a
// file fetched over the network, and must not start programs or open local
// files. `link` is trimmed of blanks first; answers the address to open, or
// an empty text when the line's address is refused.
std::string openable_announcement(const std::string& link);

// Opens an address the vendor's file gave (a line's link, the home page,
// the mail address) in the user's browser or mail program. A refused
// address is told to the user only when `tell_refusal` is set; a failed
// start always is. Answers true when the address was handed on.
bool open_published_address(sys::Platform& platform, sys::Prompts& prompts, const std::string& link,
                            bool tell_refusal);

}  // namespace velmora::update
