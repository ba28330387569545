// Pieces the program's small dialogs share: the OK/Cancel row at the bottom
// right and the place in the middle of the screen.
#pragma once

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QWidget>
#include <initializer_list>
#include <utility>

namespace velmora::ui {

inline std::pair<QPushButton*, QPushButton*> add_ok_cancel(QBoxLayout* column, QWidget* owner,
                                                           const char* ok_text,
                                                           const char* cancel_text) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = new QPushButton(QString::fromUtf8(ok_text), owner);
    auto* cancel = new QPushButton(QString::fromUtf8(cancel_text), owner);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    column->addLayout(row);
    return {ok, cancel};
}

// A titled group of radio buttons in two columns, the first one chosen.
inline QButtonGroup* add_radio_group(QWidget* owner, QBoxLayout* column, const char* title,
                                     std::initializer_list<const char*> items) {
    auto* box = new QGroupBox(QString::fromUtf8(title), owner);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);
    auto* group = new QButtonGroup(owner);
    int id = 0;
    for (const char* item : items) {
        auto* radio = new QRadioButton(QString::fromUtf8(item), box);
        group->addButton(radio, id);
        grid->addWidget(radio, id / 2, id % 2);
        ++id;
    }
    group->button(0)->setChecked(true);
    column->addWidget(box);
    return group;
}

inline void centre_on_screen(QWidget* window) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    window->move(screen.center() - QPoint(window->width() / 2, window->height() / 2));
}

}  // namespace velmora::ui
