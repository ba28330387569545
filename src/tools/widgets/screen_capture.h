// Region capture: a still copy of the primary screen shown full screen, a
// crosshair and a rubber band to mark an area, the area on the clipboard and
// an offer to save it as a JPEG or bitmap file.
//
// The frozen picture is never drawn on. The crosshair and the band are
// painted as inverted strips of it over an untouched copy, so nothing can
// drift or leave traces, and the chosen area is cut from the clean copy.
#pragma once

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "sys/prompts.h"
#include "tools/screen_capture_logic.h"

namespace velmora::tools {

// What the user chose in the save dialog: the full file name and the
// filter, counted from 1 as the dialog counts (1 JPEG, 2 bitmap).
struct SaveChoice {
    std::string path;
    int filter_index = 1;
};

// Runs the save dialog with the remembered settings; nothing when cancelled.
using FileChooser = std::function<std::optional<SaveChoice>(const SaveFilterMemory&)>;

// Writes the picture atomically in the given format; on failure answers
// false with the reason in `error`.
bool save_picture(const QImage& picture, const std::string& path, PictureFormat format,
                  std::string& error);

// The capture window: borderless, on top of everything, covering the screen.
class TForm5 : public QWidget {
    Q_OBJECT

public:
    explicit TForm5(QWidget* owner);

    // Shows the still picture and lets the crosshair follow the mouse.
    void begin(const QImage& frozen);
    const QImage& frozen() const { return frozen_; }
    const CaptureTracker& tracker() const { return tracker_; }

signals:
    // The second click chose this area of the frozen picture, in its pixels.
    void area_chosen(velmora::tools::CaptureRect area);
    // Escape or a right-button double click gave up the capture.
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    CapturePoint picture_point(const QMouseEvent* event) const;
    void Image1MouseDown(CapturePoint at);

    QImage frozen_;    // the screen as it was; never painted on
    QImage inverted_;  // the same picture with every pixel inverted
    CaptureTracker tracker_;
};

// Where the save dialog opens: the folder the last capture went to while it
// exists, else the user's pictures folder, else the home folder.
QString capture_save_folder(const QString& last_folder);

// The capture as the tools panel starts it. Lives as long as the main
// window, so the save dialog's remembered file type lasts the whole run.
class ScreenCapture : public QObject {
    Q_OBJECT

public:
    static constexpr int start_delay_ms = 300;

    ScreenCapture(QWidget* owner, sys::Prompts& prompts);
    ~ScreenCapture() override;
    ScreenCapture(const ScreenCapture&) = delete;
    ScreenCapture& operator=(const ScreenCapture&) = delete;

    // Arms the start timer: the screen is copied once the caller's own
    // handling (the double click, the panel's repaint) is over.
    void start();
    void Timer1Timer();

    // Seams for tests: where the still picture comes from (the primary
    // screen by default) and how the file name is chosen (a file dialog).
    void set_screen_source(std::function<QImage()> source) { screen_source_ = std::move(source); }
    void set_file_chooser(FileChooser chooser) { choose_file_ = std::move(chooser); }

    TForm5* form();
    const SaveFilterMemory& filter_memory() const { return memory_; }

    QTimer Timer1;

private:
    void finish(CaptureRect area);
    void offer_save(const QImage& result);
    std::optional<SaveChoice> run_save_dialog(const SaveFilterMemory& memory);

    QWidget* owner_;
    QPointer<TForm5> form_;
    sys::Prompts& prompts_;
    SaveFilterMemory memory_;
    std::function<QImage()> screen_source_;
    FileChooser choose_file_;
    QString last_folder_;  // where the last picture was saved this run
};

}  // namespace velmora::tools
