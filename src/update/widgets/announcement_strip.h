// The announcement strip at the bottom of the main window: two labels that
// take turns showing the announcement lines, the next one sliding in from
// below while the shown one leaves at the top. A label under the mouse
// keeps its line; a click opens the line's address in the browser.
#pragma once

#include <QObject>

#include <string>
#include <vector>

#include "update/ad_rotation.h"

class QLabel;
class QTimer;
class QWidget;

namespace velmora::sys {
class Platform;
class Prompts;
}  // namespace velmora::sys

namespace velmora::update {

struct AnnouncementTimers {
    QTimer& Timer_ad;   // the next line, at the interval the remote settings give
    QTimer& Timer_ad2;  // one slide step, 100 ms
};

class AnnouncementStrip : public QObject {
    Q_OBJECT

public:
    // The labels are made in `strip`; the first one shows `tip` and opens
    // `tip_link` until the first line arrives.
    AnnouncementStrip(QWidget* strip, AnnouncementTimers timers, sys::Platform& platform,
                      sys::Prompts& prompts, const std::string& tip, const std::string& tip_link);

    QLabel* l_ad1 = nullptr;
    QLabel* l_ad2 = nullptr;

    // The lines and interval read at start: the rotation runs when there
    // are lines and the interval is positive.
    void start(std::vector<std::string> lines, int interval_ms);
    // A line added during the run joins the rotation; an empty list starts
    // turning only once the mouse has passed over a label.
    void append(std::string line) { rotation_.append(std::move(line)); }
    // The close sequence: no more lines, no more ticks.
    void stop();
    const std::vector<std::string>& ad_lines() const { return rotation_.lines(); }
    const AdRotation& rotation() const { return rotation_; }

    void Timer_adTimer();
    void Timer_ad2Timer();
    void l_ad1Click(QLabel* label);
    void l_ad1MouseEnter(QLabel* label);
    void l_ad1MouseLeave(QLabel* label);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* make_label(QWidget* strip, const char* name);
    void show_label(int which);
    void place_labels();
    void restart_rotation();

    AnnouncementTimers timers_;
    sys::Platform& platform_;
    sys::Prompts& prompts_;
    AdRotation rotation_;
};

}  // namespace velmora::update
