// A save that follows an unsaved change within two seconds, so that a crash,
// a lost display or a killed session loses at most those seconds of typing.
// The first change starts the countdown and later ones do not postpone it:
// someone editing without pause is still saved every two seconds.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace velmora::ui {

class SaveSoon : public QObject {
public:
    static constexpr int delay_ms = 2000;

    SaveSoon(std::function<void()> save, QObject* parent)
        : QObject(parent), save_(std::move(save)) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);  // a coarse timer may fire 5 % late
        timer_.setInterval(delay_ms);
        connect(&timer_, &QTimer::timeout, this, [this] { save_(); });
    }

    void changed() {
        if (!timer_.isActive()) timer_.start();
    }
    void cancel() { timer_.stop(); }
    bool pending() const { return timer_.isActive(); }
    int remaining_ms() const { return timer_.remainingTime(); }
    // What the countdown's end does, at once.
    void save_now() {
        timer_.stop();
        save_();
    }

private:
    std::function<void()> save_;
    QTimer timer_;
};

}  // namespace velmora::ui
