// The capture window on the offscreen platform, driven by synthetic mouse
// and key events: what it shows over the still picture, what lands on the
// clipboard, and what the question and the save dialog do.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <vector>

#include "app/recording_prompts.h"
#include "tools/widgets/screen_capture.h"

namespace velmora::tools {
namespace {

constexpr int picture_width = 160;
constexpr int picture_height = 120;

// Every pixel differs from its neighbours, so a copy shifted by one pixel
// or a left-over inverted line cannot pass for the right picture.
QImage screen_picture() {
    QImage picture(picture_width, picture_height, QImage::Format_RGB32);
    for (int y = 0; y < picture_height; ++y) {
        for (int x = 0; x < picture_width; ++x) {
            picture.setPixel(x, y, qRgb(x, y, (x * 7 + y * 13) % 256));
        }
    }
    return picture;
}

QRgb inverted(QRgb colour) {
    return qRgb(255 - qRed(colour), 255 - qGreen(colour), 255 - qBlue(colour));
}

class CaptureWindow : public ::testing::Test {
protected:
    void SetUp() override {
        capture.set_screen_source(screen_picture);
        capture.set_file_chooser([this](const SaveFilterMemory& memory) {
            offered_filters.push_back(memory.filter_index());
            std::optional<SaveChoice> next = choice;
            return next;
        });
        QApplication::clipboard()->setText("before");
    }

    TForm5& form() { return *capture.form(); }

    void begin() {
        capture.start();
        capture.Timer1Timer();
        ASSERT_TRUE(form().isVisible());
    }
    void send_mouse(QEvent::Type type, int x, int y, Qt::MouseButton button = Qt::NoButton) {
        const QPointF at(x, y);
        QMouseEvent event(type, at, form().mapToGlobal(at), button,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::MouseButtons(button),
                          Qt::NoModifier);
        QApplication::sendEvent(&form(), &event);
    }
    void move(int x, int y) { send_mouse(QEvent::MouseMove, x, y); }
    void click(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        send_mouse(QEvent::MouseButtonPress, x, y, button);
        send_mouse(QEvent::MouseButtonRelease, x, y, button);
    }
    // What the window shows over the picture, in picture pixels.
    QImage shown() {
        return form()
            .grab()
            .toImage()
            .convertToFormat(QImage::Format_RGB32)
            .copy(0, 0, picture_width, picture_height);
    }
    // The pixels that differ from the still picture, and whether each is
    // exactly the inverse of it.
    std::vector<QPoint> changed_pixels(const QImage& image) {
        const QImage original = screen_picture();
        std::vector<QPoint> changed;
        for (int y = 0; y < picture_height; ++y) {
            for (int x = 0; x < picture_width; ++x) {
                if (image.pixel(x, y) == original.pixel(x, y)) continue;
                EXPECT_EQ(image.pixel(x, y), inverted(original.pixel(x, y))) << x << "," << y;
                changed.emplace_back(x, y);
            }
        }
        return changed;
    }
    QImage clipboard_image() { return QApplication::clipboard()->image(); }

    testing::RecordingPrompts prompts;
    ScreenCapture capture{nullptr, prompts};
    std::optional<SaveChoice> choice;
    std::vector<int> offered_filters;
};

TEST_F(CaptureWindow, StartWaits300MillisecondsThenShowsTheStillScreen) {
    capture.start();
    EXPECT_TRUE(capture.Timer1.isActive());
    EXPECT_EQ(capture.Timer1.interval(), 300);
    EXPECT_FALSE(form().isVisible());
    capture.Timer1Timer();
    EXPECT_FALSE(capture.Timer1.isActive());
    EXPECT_TRUE(form().isVisible());
    EXPECT_TRUE(form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form().windowFlags().testFlag(Qt::FramelessWindowHint));
    // Before any move nothing is drawn over the picture.
    EXPECT_EQ(shown(), screen_picture());
}

TEST_F(CaptureWindow, CrosshairFollowsTheMouseAndTheFirstClickErasesIt) {
    begin();
    move(30, 40);
    move(50, 60);
    const auto crossing = changed_pixels(shown());
    // One crosshair, the latest: its column and row, the crossing once.
    EXPECT_EQ(crossing.size(), static_cast<std::size_t>(picture_width + picture_height - 1));
    for (const QPoint& p : crossing)
        EXPECT_TRUE(p.x() == 50 || p.y() == 60) << p.x() << "," << p.y();

    click(50, 60);
    const auto band = changed_pixels(shown());
    ASSERT_EQ(band.size(), 1U);  // the band starts as the clicked point
    EXPECT_EQ(band.front(), QPoint(50, 60));
}

TEST_F(CaptureWindow, RubberBandFollowsTheMouseButNeverReachesTheResult) {
    begin();
    move(20, 25);
    click(20, 25);
    move(100, 90);
    move(70, 80);
    const auto band = changed_pixels(shown());
    // The outline of 20..70 × 25..80 and nothing of the earlier band.
    EXPECT_EQ(band.size(), static_cast<std::size_t>(2 * 51 + 2 * 54));
    for (const QPoint& p : band) {
        EXPECT_TRUE(p.x() == 20 || p.x() == 70 || p.y() == 25 || p.y() == 80);
    }

    click(70, 80);
    EXPECT_EQ(clipboard_image(), screen_picture().copy(20, 25, 50, 55));
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_EQ(prompts.shown.front(), "所选区域已截取到剪贴板。是否将其保存为文件？");
    EXPECT_EQ(prompts.question_icon, sys::PromptIcon::information);
    EXPECT_FALSE(form().isVisible());  // answered No
    EXPECT_TRUE(offered_filters.empty());
}

TEST_F(CaptureWindow, BothClickOrdersGiveTheSameImage) {
    begin();
    click(120, 100, Qt::RightButton);  // any button marks a corner
    click(10, 5);
    const QImage reversed = clipboard_image();
    begin();
    click(10, 5);
    move(60, 60);
    click(120, 100);
    EXPECT_EQ(clipboard_image(), reversed);
    EXPECT_EQ(reversed, screen_picture().copy(10, 5, 110, 95));
}

TEST_F(CaptureWindow, ZeroWidthOrHeightPutsNothingOnTheClipboard) {
    for (const QPoint second : {QPoint(30, 90), QPoint(80, 40)}) {
        prompts.shown.clear();
        begin();
        click(30, 40);
        click(second.x(), second.y());
        EXPECT_EQ(QApplication::clipboard()->text(), "before");
        ASSERT_EQ(prompts.shown.size(), 1U);
        EXPECT_NE(prompts.shown.front().find("为零"), std::string::npos);
        EXPECT_FALSE(form().isVisible());
    }
}

TEST_F(CaptureWindow, EscapeOrRightDoubleClickGivesUp) {
    begin();
    move(30, 40);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&form(), &escape);
    EXPECT_FALSE(form().isVisible());

    begin();
    click(30, 40, Qt::RightButton);
    send_mouse(QEvent::MouseButtonDblClick, 30, 40, Qt::RightButton);
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(QApplication::clipboard()->text(), "before");

    begin();  // a left double click is two corners, not a way out
    click(30, 40);
    send_mouse(QEvent::MouseButtonDblClick, 90, 70, Qt::LeftButton);
    EXPECT_EQ(clipboard_image().size(), QSize(60, 30));
}

class CaptureSave : public CaptureWindow {
protected:
    void capture_and_save(const QString& name, int filter) {
        choice = SaveChoice{dir.filePath(name).toStdString(), filter};
        prompts.answers = {true};
        begin();
        click(5, 6);
        click(45, 36);
    }
    QByteArray file(const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
};

TEST_F(CaptureSave, JpegFileHoldsTheChosenAreaAndFollowsTheUmask) {
    const mode_t mask = ::umask(022);
    capture_and_save("shot.jpg", 1);
    ::umask(mask);
    EXPECT_EQ(QFileInfo(dir.filePath("shot.jpg")).permissions() & 0x0fff, 0x0644);
    const QByteArray bytes = file("shot.jpg");
    ASSERT_TRUE(bytes.startsWith("\xFF\xD8"));
    QImage read;
    ASSERT_TRUE(read.loadFromData(bytes, "JPEG"));
    EXPECT_EQ(read.size(), QSize(40, 30));
    EXPECT_EQ(clipboard_image().size(), QSize(40, 30));
    EXPECT_EQ(offered_filters, std::vector<int>{1});
    EXPECT_FALSE(form().isVisible());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files) == QStringList{"shot.jpg"});
}

TEST_F(CaptureSave, AfterABitmapSaveBitmapsAreOfferedFirst) {
    capture_and_save("shot.bmp", 2);
    const QByteArray bytes = file("shot.bmp");
    ASSERT_TRUE(bytes.startsWith("BM"));
    QImage read;
    ASSERT_TRUE(read.loadFromData(bytes, "BMP"));
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), screen_picture().copy(5, 6, 40, 30));

    capture_and_save("again.jpg", 1);
    EXPECT_EQ(offered_filters, (std::vector<int>{1, 2}));
    EXPECT_TRUE(file("again.jpg").startsWith("\xFF\xD8"));
}

TEST_F(CaptureSave, FailedSaveIsReportedAndThePictureStaysOnTheClipboard) {
    capture_and_save("missing/shot.jpg", 1);
    ASSERT_EQ(prompts.shown.size(), 2U);
    EXPECT_NE(prompts.shown[1].find("missing/shot.jpg"), std::string::npos);
    EXPECT_EQ(clipboard_image(), screen_picture().copy(5, 6, 40, 30));
    EXPECT_FALSE(form().isVisible());
}

TEST_F(CaptureSave, CancelledDialogSavesNothing) {
    prompts.answers = {true};
    begin();
    click(1, 1);
    click(9, 9);
    EXPECT_EQ(offered_filters, std::vector<int>{1});
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_EQ(prompts.shown.size(), 1U);  // the question, no error
    EXPECT_EQ(clipboard_image().size(), QSize(8, 8));
    EXPECT_FALSE(form().isVisible());
}

}  // namespace
}  // namespace velmora::tools

namespace velmora::tools {
namespace {

// The save dialog's folder: the last capture's while it exists, else the
// pictures folder the user's XDG folders name, else home.
TEST(CaptureFolder, TheLastFolderThenThePicturesFolderThenHome) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray old_home = qgetenv("HOME"), old_config = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
    QDir(home.path()).mkpath(".config");
    QFile dirs(home.path() + "/.config/user-dirs.dirs");
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_PICTURES_DIR=\"$HOME/图片\"\n");
    dirs.close();

    EXPECT_EQ(capture_save_folder({}), QDir::homePath());  // named, but not made yet
    QDir(home.path()).mkpath("图片");
    EXPECT_EQ(capture_save_folder({}), home.path() + "/图片");
    QDir(home.path()).mkpath("shots");
    EXPECT_EQ(capture_save_folder(home.path() + "/shots"), home.path() + "/shots");
    EXPECT_EQ(capture_save_folder(home.path() + "/gone"), home.path() + "/图片");

    qputenv("HOME", old_home);
    if (old_config.isEmpty()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", old_config);
    }
}

}  // namespace
}  // namespace velmora::tools
