// Typing into a date field as a user does, for the field's tests and those
// of the dialogs that hold one.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "ui/date_field.h"

namespace velmora::ui {

// Focuses the field as a click or Tab does, then types as a user does.
inline void type_into(DateField& field, const QString& keys) {
    QWidget* window = field.window();
    window->show();
    QApplication::setActiveWindow(window);
    field.editor()->clearFocus();
    field.setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QTest::keyClicks(field.editor(), keys);
}

}  // namespace velmora::ui
