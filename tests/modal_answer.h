// Answers the modal dialog that the next action opens: the answer runs
// inside the dialog's own event loop, once the dialog is up. Work the
// action does first with the event loop running (a read on a thread of its
// own) is waited for, up to a few seconds.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <functional>

namespace velmora::testing {

template <typename Dialog>
void when_modal_opens(std::function<void(Dialog&)> answer, int tries_left = 500) {
    QTimer::singleShot(tries_left == 500 ? 0 : 10, [answer, tries_left] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr && tries_left > 0) {
            when_modal_opens(answer, tries_left - 1);
            return;
        }
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

}  // namespace velmora::testing
