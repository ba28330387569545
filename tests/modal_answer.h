// Answers the modal dialog that the next action opens: the answer runs
// inside the dialog's own event loop, once the dialog is up.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <functional>

namespace velmora::testing {

template <typename Dialog>
void when_modal_opens(std::function<void(Dialog&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(*dialog);
    });
}

}  // namespace velmora::testing
