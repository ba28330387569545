#include "ui/pending_edit.h"

#include <algorithm>
#include <vector>

namespace velmora::ui {

namespace {

// Dialogs open one inside another, on the user-interface thread only.
std::vector<PendingEdit*>& open_edits() {
    static std::vector<PendingEdit*> edits;
    return edits;
}

}  // namespace

PendingEdit::PendingEdit(std::function<void()> keep, std::function<void()> dismiss)
    : keep_(std::move(keep)), dismiss_(std::move(dismiss)) {
    open_edits().push_back(this);
}

PendingEdit::~PendingEdit() {
    auto& edits = open_edits();
    edits.erase(std::remove(edits.begin(), edits.end(), this), edits.end());
}

int PendingEdit::keep_all(bool dismiss) {
    // A copy: dismissing a dialog may end its registration at once.
    const std::vector<PendingEdit*> edits(open_edits().rbegin(), open_edits().rend());
    int kept = 0;
    for (PendingEdit* edit : edits) {
        if (edit->kept_) continue;
        edit->kept_ = true;
        edit->keep_();
        ++kept;
    }
    if (dismiss) {
        for (PendingEdit* edit : edits) {
            const auto& still_open = open_edits();
            if (std::find(still_open.begin(), still_open.end(), edit) != still_open.end()) {
                edit->dismiss_();
            }
        }
    }
    return kept;
}

}  // namespace velmora::ui
