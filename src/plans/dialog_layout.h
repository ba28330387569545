// Pieces every small dialog of the plans shares: the OK/Cancel row at the
// bottom right and the place in the middle of the screen.
#pragma once

#include <QBoxLayout>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <utility>

namespace velmora::plans {

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

inline void centre_on_screen(QWidget* window) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    window->move(screen.center() - QPoint(window->width() / 2, window->height() / 2));
}

}  // namespace velmora::plans
