// The capture against a real X server: the pointer is moved and clicked by
// xdotool, the question is answered Yes and the area saved as a JPEG through
// the file-chooser seam. Another X client, this same program started with
// --clipboard-size, reads the clipboard the way any other program would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include "app/recording_prompts.h"
#include "tools/widgets/screen_capture.h"

namespace velmora::tools {
namespace {

QString self_path;

// Sends one xdotool command and lets this program handle what it causes.
bool xdotool(const QStringList& arguments) {
    QProcess tool;
    tool.start("xdotool", arguments);
    const bool done = QTest::qWaitFor([&] { return tool.state() == QProcess::NotRunning; }, 5000);
    QTest::qWait(100);  // the X events reach this program
    return done && tool.exitCode() == 0;
}

QSize clipboard_size_seen_by_another_client() {
    QProcess reader;
    reader.start(self_path, {"--clipboard-size"});
    if (!QTest::qWaitFor([&] { return reader.state() == QProcess::NotRunning; }, 10000)) {
        return {};
    }
    int width = 0, height = 0;
    std::sscanf(reader.readAllStandardOutput().constData(), "%dx%d", &width, &height);
    return {width, height};
}

TEST(CaptureOnX11, TwoClicksYesAndAJpegFile) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X server";
    if (QStandardPaths::findExecutable("xdotool").isEmpty()) GTEST_SKIP() << "needs xdotool";
    QTemporaryDir dir;
    testing::RecordingPrompts prompts;
    prompts.answers = {true};
    ScreenCapture capture(nullptr, prompts);
    capture.set_file_chooser([&](const SaveFilterMemory&) {
        return std::optional<SaveChoice>(SaveChoice{dir.filePath("shot.jpg").toStdString(), 1});
    });

    capture.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return capture.form()->isVisible(); }, 5000));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(capture.form(), 5000));
    ASSERT_TRUE(xdotool({"mousemove", "300", "250"}));
    ASSERT_TRUE(xdotool({"click", "1"}));
    ASSERT_TRUE(xdotool({"mousemove", "100", "120"}));
    ASSERT_TRUE(xdotool({"click", "1"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !capture.form()->isVisible(); }, 5000));

    ASSERT_EQ(prompts.shown.size(), 1U);
    QImage saved;
    ASSERT_TRUE(saved.load(dir.filePath("shot.jpg"), "JPEG"));
    EXPECT_EQ(saved.size(), QSize(200, 130));
    EXPECT_EQ(clipboard_size_seen_by_another_client(), QSize(200, 130));
}

}  // namespace
}  // namespace velmora::tools

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc > 1 && QString(argv[1]) == "--clipboard-size") {
        const QImage image = QApplication::clipboard()->image();
        std::printf("%dx%d\n", image.width(), image.height());
        return 0;
    }
    velmora::tools::self_path = QCoreApplication::applicationFilePath();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
