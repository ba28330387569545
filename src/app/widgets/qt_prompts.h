// Message boxes for the running program: the information or question icon,
// the given caption (empty by default) and the active window as owner.
#pragma once

#include <QApplication>
#include <QDebug>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "sys/prompts.h"

namespace velmora::app {

class QtPrompts final : public sys::Prompts {
public:
    explicit QtPrompts(QWidget* fallback_owner = nullptr) : fallback_owner_(fallback_owner) {}

    void inform(const std::string& text, const std::string& caption,
                sys::PromptIcon icon) override {
        log(text);
        if (display_lost_) return;
        QMessageBox box(box_icon(icon), box_caption(caption), QString::fromStdString(text),
                        QMessageBox::Ok, owner());
        box.button(QMessageBox::Ok)->setText("确定");
        // A box over no visible window of ours (the second start's) would
        // open under the running copy's always-on-top panel, unseen. The
        // panel may still be coming out when the box appears: the box is
        // raised once more a moment later.
        if (box.parentWidget() == nullptr || !box.parentWidget()->isVisible()) {
            box.setWindowFlag(Qt::WindowStaysOnTopHint);
            QTimer::singleShot(300, &box, [&box] {
                box.raise();
                box.activateWindow();
            });
        }
        box.exec();
    }

    bool ask_yes_no(const std::string& text, const std::string& caption, bool no_by_default,
                    sys::PromptIcon icon) override {
        log(text);
        if (display_lost_) return !no_by_default;
        QMessageBox box(box_icon(icon), box_caption(caption), QString::fromStdString(text),
                        QMessageBox::Yes | QMessageBox::No, owner());
        box.button(QMessageBox::Yes)->setText("是(&Y)");
        box.button(QMessageBox::No)->setText("否(&N)");
        box.setDefaultButton(no_by_default ? QMessageBox::No : QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    }

    void set_fallback_owner(QWidget* owner) { fallback_owner_ = owner; }
    static QMessageBox::Icon box_icon(sys::PromptIcon icon) {
        switch (icon) {
            case sys::PromptIcon::question: return QMessageBox::Question;
            case sys::PromptIcon::error: return QMessageBox::Critical;
            case sys::PromptIcon::information: break;
        }
        return QMessageBox::Information;
    }
    // Qt gives a window without a title the program's name; the boxes are
    // meant to have none, so an empty caption is shown as a blank.
    static QString box_caption(const std::string& caption) {
        return caption.empty() ? QStringLiteral(" ") : QString::fromStdString(caption);
    }
    // No box can be shown any more: messages go to the diagnostic output
    // only, and questions take their default answer.
    void display_lost() { display_lost_ = true; }

private:
    // What the program tells the user also goes to the diagnostic output, so
    // a message seen once can be found again in a session log.
    static void log(const std::string& text) {
        qInfo().noquote() << "message:" << QString::fromStdString(text);
    }

    QWidget* owner() const {
        QWidget* active = QApplication::activeModalWidget();
        if (!active) active = QApplication::activeWindow();
        return active ? active : fallback_owner_;
    }

    QWidget* fallback_owner_;
    bool display_lost_ = false;
};

}  // namespace velmora::app
