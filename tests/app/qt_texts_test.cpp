// Qt's own dialogs and buttons in Chinese once the program's translations
// are loaded; each ctest entry runs in a process of its own, so the other
// tests keep Qt's defaults.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

#include "app/widgets/qt_translations.h"

namespace velmora::app {
namespace {

TEST(QtTexts, TheFileDialogAndTheStandardButtonsSpeakChinese) {
    ASSERT_TRUE(load_qt_translations(*QCoreApplication::instance(), "/nonexistent"));
    QFileDialog dialog(nullptr, "导出书签");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* look_in = dialog.findChild<QLabel*>("lookInLabel");
    ASSERT_NE(look_in, nullptr);
    EXPECT_TRUE(look_in->text().contains("查找范围")) << look_in->text().toStdString();
    auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    ASSERT_NE(buttons, nullptr);
    for (QAbstractButton* button : buttons->buttons()) {
        EXPECT_FALSE(button->text().contains("Cancel") || button->text().contains("Open"))
            << button->text().toStdString();
    }
    // A text Qt's translation lacks: the file list's type column.
    EXPECT_EQ(QCoreApplication::translate("QAbstractFileIconProvider", "Folder"), "文件夹");
    // Anything else is left to the other translators.
    EXPECT_EQ(QCoreApplication::translate("NoSuchContext", "Folder"), "Folder");
}

}  // namespace
}  // namespace velmora::app
