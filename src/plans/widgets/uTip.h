// The eye-care tip: a borderless green picture window that grows up from the
// bottom right corner of the work area, stays eight seconds and fades out.
// It never takes the focus, so it cannot interrupt typing in another
// program. One window serves the whole run; every showtip reuses it.
#pragma once

#include <QPixmap>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <optional>

class QLabel;
class QToolButton;

namespace velmora::plans {

class Tfrm_tip : public QWidget {
    Q_OBJECT

public:
    static constexpr int tip_width = 274;
    static constexpr int full_height = 180;

    explicit Tfrm_tip(QWidget* parent = nullptr);

    void showtip();

    // The timer and button handlers, public so tests can drive them.
    void Timer1Timer();  // one slide step
    void Timer2Timer();  // the hold is over
    void Timer3Timer();  // one fade step
    void SpeedButton1Click();

    // The 216×88 picture, drawn here rather than shipped as a file.
    static QPixmap eye_care_picture();

    QTimer Timer1;  // slide, 1 ms
    QTimer Timer2;  // hold, 8000 ms
    QTimer Timer3;  // fade, 20 ms
    QLabel* Image1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    int tipstate = 0;  // 1 sliding in, 2 slide finished

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    static QRect work_area();
    void place();
    void start_fade();
    void set_opacity(int opacity);

    int top_ = 0;
    int height_ = 0;
    int opacity_ = 255;
    bool bottom_line_ = false;  // drawn once the window has its full height
    std::optional<QPoint> drag_offset_;
};

}  // namespace velmora::plans
