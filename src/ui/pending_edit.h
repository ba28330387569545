// Text that a dialog holds, typed but not yet confirmed. Whoever runs such a
// dialog registers how to keep its text where its confirm button would have
// put it; when the session ends under the dialog (logout, a closed terminal,
// a lost display), the close sequence keeps every open edit first, so
// nothing typed is lost to an ending that nobody chose.
#pragma once

#include <functional>

namespace velmora::ui {

class PendingEdit {
public:
    // keep: stores what the dialog holds, as confirming it would.
    // dismiss: ends the dialog without a store of its own (its text is kept
    // already); only called while the event loop still runs.
    PendingEdit(std::function<void()> keep, std::function<void()> dismiss);
    ~PendingEdit();
    PendingEdit(const PendingEdit&) = delete;
    PendingEdit& operator=(const PendingEdit&) = delete;

    // Keeps every open edit, the innermost first, each once. With `dismiss`
    // the dialogs are ended too, so that their callers go on as after 取消.
    // Answers how many edits were kept.
    static int keep_all(bool dismiss);

private:
    std::function<void()> keep_;
    std::function<void()> dismiss_;
    bool kept_ = false;
};

}  // namespace velmora::ui
