// The folder lock dialog and its password dialog, offscreen: the buttons,
// their messages, the three-second open and the password rules.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <functional>
#include <string>

#include "app/recording_prompts.h"
#include "modal_answer.h"
#include "sys/fake_platform.h"
#include "sys/temp_folder.h"
#include "tools/dir_disguise.h"
#include "tools/widgets/uFX_dirhide.h"
#include "tools/widgets/usetpass.h"

namespace velmora::tools {
namespace {

namespace fs = std::filesystem;
using velmora::testing::RecordingPrompts;
using velmora::testing::TempFolder;
using velmora::testing::when_modal_opens;

constexpr const char* done_hiding = "文件夹伪装隐藏成功！";

// Fills the password dialog that the next action opens and presses a button.
void answer_password(const QString& first, const QString& second = {}, bool ok = true) {
    when_modal_opens<Tfrm_pass>([first, second, ok](Tfrm_pass& dialog) {
        dialog.Edit1->setText(first);
        dialog.Edit2->setText(second);
        (ok ? dialog.btn_ok : dialog.btn_cancel)->click();
    });
}

class DirhideDialog : public ::testing::Test {
protected:
    DirhideDialog() {
        fs::create_directories(folder.path() / "secret");
        folder.write("note.txt", "x");
        dialog.set_folder(folder.path().string());
        choose("secret");
    }
    ~DirhideDialog() override {
        fs::permissions(folder.path() / "secret", fs::perms::owner_all, fs::perm_options::add);
    }
    void choose(const QString& name) {
        for (int i = 0; i < dialog.FileListBox->count(); ++i) {
            QListWidgetItem* item = dialog.FileListBox->item(i);
            if (item->data(Qt::UserRole).toString() == name)
                dialog.FileListBox->setCurrentItem(item);
        }
    }
    std::string secret() const { return target_folder(folder.path().string(), "secret"); }
    std::string ini() const { return folder.read("secret/desktop.ini"); }
    void hide_with_password(const QString& password) {
        answer_password(password, password);
        dialog.Button1Click();
        prompts.shown.clear();
    }

    TempFolder folder;
    RecordingPrompts prompts;
    sys::testing::FakePlatform platform;
    Tform_dirhide dialog{prompts, platform};
};

TEST_F(DirhideDialog, StartsAsLaidOut) {
    EXPECT_EQ(dialog.windowTitle(), "文件夹加锁");
    EXPECT_TRUE(dialog.RadioButton[0]->isChecked());
    EXPECT_TRUE(dialog.CheckBox1->isChecked());
    EXPECT_EQ(dialog.FileListBox->currentItem()->text(), "[secret]");
    EXPECT_EQ(dialog.target(), secret());
    dialog.FileListBox->clearSelection();
    EXPECT_EQ(dialog.target(), target_folder(folder.path().string(), ""));
}

TEST_F(DirhideDialog, DisguiseWithoutPasswordThenAgain) {
    dialog.CheckBox1->setChecked(false);
    dialog.RadioButton[2]->setChecked(true);
    dialog.Button1Click();
    EXPECT_NE(ini().find(std::string("CLSID=") + disguise_targets[2].clsid), std::string::npos);
    EXPECT_NE(ini().find("CLSID_KXPASS=\r\n"), std::string::npos);
    dialog.Button1Click();
    EXPECT_EQ(prompts.shown,
              (std::vector<std::string>{done_hiding, "文件夹已进行过伪装，无需再伪装！"}));
}

TEST_F(DirhideDialog, DisguiseAsksForThePasswordTwice) {
    answer_password("pw", "other", false);
    dialog.Button1Click();
    EXPECT_FALSE(is_disguised(secret())) << "cancelled";
    EXPECT_TRUE(prompts.shown.empty());
    answer_password(" pw", "pw ");
    dialog.Button1Click();
    EXPECT_EQ(prompts.shown, std::vector<std::string>{done_hiding});
    EXPECT_NE(ini().find(std::string("CLSID_KXPASS=") + std::string(verifier_prefix)),
              std::string::npos);
}

TEST_F(DirhideDialog, RestoreReportsEachAnswer) {
    dialog.SpeedButton3Click();
    hide_with_password("pw");
    when_modal_opens<Tfrm_pass>([](Tfrm_pass& pass) {
        EXPECT_TRUE(pass.Edit2->isHidden());
        EXPECT_TRUE(pass.Label2->isHidden());
        pass.btn_cancel->click();
    });
    dialog.SpeedButton3Click();
    answer_password("PW");
    dialog.SpeedButton3Click();
    answer_password("pw");
    dialog.SpeedButton3Click();
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"密码输入错误！", "文件夹恢复还原成功！"}));
    EXPECT_FALSE(is_disguised(secret()));
}

TEST_F(DirhideDialog, NotDisguisedFolderHasNothingToRestore) {
    dialog.SpeedButton3Click();
    dialog.SpeedButton4Click();
    EXPECT_EQ(prompts.shown,
              std::vector<std::string>{"选择的文件夹并未进行过伪装，无需恢复还原！"});
    EXPECT_TRUE(platform.opened.empty());
}

TEST_F(DirhideDialog, OpenWaitsWithoutBlockingThenDisguisesAgain) {
    hide_with_password("pw");
    answer_password("pw");
    dialog.SpeedButton4Click();
    EXPECT_EQ(platform.opened, std::vector<std::string>{secret()});
    EXPECT_FALSE(is_disguised(secret())) << "open while the timer runs";
    EXPECT_TRUE(dialog.tm_reopen->isActive());
    EXPECT_FALSE(dialog.Button1->isEnabled());
    dialog.RadioButton[4]->setChecked(true);
    choose("note.txt");  // a new choice meanwhile does not move the disguise
    dialog.tm_reopen->start(0);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !dialog.tm_reopen->isActive(); }, 1000));
    EXPECT_TRUE(is_disguised(secret()));
    EXPECT_NE(ini().find(std::string("CLSID=") + disguise_targets[4].clsid), std::string::npos);
    EXPECT_TRUE(dialog.Button1->isEnabled());
    EXPECT_TRUE(prompts.shown.empty());
    std::string kept;
    std::string error;
    EXPECT_EQ(dir_restore(
                  secret(), [] { return std::optional<std::string>(" pw"); }, kept, error),
              RestoreCode::done)
        << "the same password protects it again";
}

TEST_F(DirhideDialog, OpenWithWrongOrCancelledPasswordOpensNothing) {
    hide_with_password("pw");
    answer_password("nope");
    dialog.SpeedButton4Click();
    answer_password("pw", {}, false);
    dialog.SpeedButton4Click();
    EXPECT_EQ(prompts.shown, std::vector<std::string>{"输入的密码不正确！"});
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_TRUE(is_disguised(secret()));
}

TEST_F(DirhideDialog, ClosingWhileOpenDisguisesAgainAtOnce) {
    dialog.CheckBox1->setChecked(false);
    dialog.Button1Click();
    dialog.SpeedButton4Click();
    ASSERT_TRUE(dialog.tm_reopen->isActive());
    dialog.Button2Click();
    EXPECT_FALSE(dialog.tm_reopen->isActive());
    EXPECT_TRUE(is_disguised(secret()));
}

TEST_F(DirhideDialog, FailedOpenDisguisesAgainAndSaysSo) {
    dialog.CheckBox1->setChecked(false);
    dialog.Button1Click();
    platform.start_succeeds = false;
    dialog.SpeedButton4Click();
    EXPECT_FALSE(dialog.tm_reopen->isActive());
    EXPECT_TRUE(is_disguised(secret()));
    ASSERT_EQ(prompts.shown.size(), 2U);
    EXPECT_NE(prompts.shown[1].find("无法打开文件夹"), std::string::npos);
}

TEST_F(DirhideDialog, ChosenFileGetsAClearMessage) {
    choose("note.txt");
    dialog.Button1Click();
    dialog.SpeedButton3Click();
    dialog.SpeedButton4Click();
    ASSERT_EQ(prompts.shown.size(), 3U);
    for (const std::string& shown : prompts.shown) {
        EXPECT_EQ(shown, not_a_folder_message(dialog.target()));
    }
    EXPECT_EQ(folder.read("note.txt"), "x");
}

TEST_F(DirhideDialog, DesktopAndDocumentsButtonsUseTheUserFolders) {
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    folder.write("config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papiere\"\n");
    fs::create_directories(folder.path() / "Desktop");
    fs::create_directories(folder.path() / "Papiere");
    qputenv("HOME", folder.path().string().c_str());
    qputenv("XDG_CONFIG_HOME", folder.file("config").c_str());
    dialog.SpeedButton1->click();
    EXPECT_EQ(dialog.current_folder(), target_folder(folder.file("Desktop"), ""));
    dialog.SpeedButton2->click();
    EXPECT_EQ(dialog.current_folder(), target_folder(folder.file("Papiere"), ""));
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", config);
}

TEST_F(DirhideDialog, FolderListOpensASubfolder) {
    const auto found = dialog.DirectoryListBox1->findItems("secret", Qt::MatchEndsWith);
    ASSERT_EQ(found.size(), 1);
    emit dialog.DirectoryListBox1->itemActivated(found.front());
    EXPECT_EQ(dialog.current_folder(), secret());
    EXPECT_EQ(dialog.FileListBox->count(), 0);
}

// Runs `action` and answers every password dialog that opens meanwhile
// with Cancel; answers how many opened.
int password_dialogs_during(const std::function<void()>& action) {
    int opened = 0;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, [&opened] {
        if (auto* pass = qobject_cast<Tfrm_pass*>(QApplication::activeModalWidget())) {
            ++opened;
            pass->btn_cancel->click();
        }
    });
    watch.start();
    action();
    QTest::qWait(50);
    return opened;
}

TEST_F(DirhideDialog, SaysWhatTheLockDoesOnLinuxAndWhatItDoesNot) {
    ASSERT_NE(dialog.Label_linux, nullptr);
    EXPECT_EQ(dialog.Label_linux->text().toStdString(), linux_lock_note);
    EXPECT_TRUE(dialog.Label_linux->wordWrap());
    for (const char* said : {"全部权限", "不是加密", "主人可以自己把权限改回来", "已经打开的文件",
                             "硬链接", "不能加锁"}) {
        EXPECT_NE(dialog.Label_linux->text().toStdString().find(said), std::string::npos) << said;
    }
}

// The program folder as the dialog's own: refused with the reason, before
// any password is asked for, and nothing is changed.
TEST_F(DirhideDialog, TheProgramsFolderIsRefusedBeforeAnyPassword) {
    fs::create_directories(folder.path() / "prog/zenqplumora");
    Tform_dirhide own{prompts, platform, nullptr,
                      kept_folders(folder.file("prog") + "/", folder.file("prog") + "/", "")};
    own.set_folder(folder.path().string());
    for (int i = 0; i < own.FileListBox->count(); ++i) {
        if (own.FileListBox->item(i)->data(Qt::UserRole).toString() == "prog")
            own.FileListBox->setCurrentItem(own.FileListBox->item(i));
    }
    ASSERT_EQ(own.target(), target_folder(folder.path().string(), "prog"));
    EXPECT_EQ(password_dialogs_during([&own] { own.Button1Click(); }), 0);
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_NE(prompts.shown[0].find("本软件"), std::string::npos) << prompts.shown[0];
    EXPECT_FALSE(fs::exists(folder.path() / "prog/desktop.ini"));
    EXPECT_TRUE(fs::status(folder.path() / "prog").permissions() != fs::perms::none);
    // The folder above it, and the system's folders, are refused too.
    own.FileListBox->clearSelection();
    own.CheckBox1->setChecked(false);
    own.Button1Click();
    own.set_folder("/bin");
    own.Button1Click();
    ASSERT_EQ(prompts.shown.size(), 3U);
    EXPECT_NE(prompts.shown[1].find("里面有本软件的文件夹"), std::string::npos) << prompts.shown[1];
    EXPECT_NE(prompts.shown[2].find("系统文件夹"), std::string::npos) << prompts.shown[2];
}

// The program's folder that an older version locked: taking the lock off
// is never refused, and putting it back after "打开伪装文件夹" is, so the
// folder stays open and the program can save and start again.
TEST_F(DirhideDialog, AnOlderLockOnTheProgramsFolderComesOffAndStaysOff) {
    fs::create_directories(folder.path() / "prog");
    const std::string prog = target_folder(folder.file("prog"), "");
    std::string error;
    ASSERT_EQ(dir_hide(prog, disguise_targets[0].clsid, "", KeptFolders{}, error), 1) << error;
    Tform_dirhide own{prompts, platform, nullptr, kept_folders(prog, prog, "")};
    own.set_folder(folder.path().string());
    for (int i = 0; i < own.FileListBox->count(); ++i) {
        if (own.FileListBox->item(i)->data(Qt::UserRole).toString() == "prog")
            own.FileListBox->setCurrentItem(own.FileListBox->item(i));
    }
    ASSERT_EQ(own.target(), prog);
    own.SpeedButton4Click();
    EXPECT_EQ(platform.opened, std::vector<std::string>{prog});
    own.tm_reopen->start(0);
    EXPECT_TRUE(QTest::qWaitFor([&own] { return !own.tm_reopen->isActive(); }, 1000));
    EXPECT_FALSE(is_disguised(prog));
    EXPECT_NE(fs::status(folder.path() / "prog").permissions() & fs::perms::owner_all,
              fs::perms::none);
    ASSERT_EQ(prompts.shown.size(), 1U);
    EXPECT_NE(prompts.shown[0].find("本软件"), std::string::npos) << prompts.shown[0];
}

// Type-ahead and Enter in the folder tree open the folder, and never press
// "文件夹伪装" (which had asked for a password to lock /bin).
TEST_F(DirhideDialog, EnterInTheFolderTreeOnlyOpensTheFolder) {
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.DirectoryListBox1->setFocus();
    const int opened = password_dialogs_during([this] {
        QTest::keyClicks(dialog.DirectoryListBox1, "sec");
        QTest::keyClick(dialog.DirectoryListBox1, Qt::Key_Return);
    });
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(dialog.current_folder(), secret());
    EXPECT_FALSE(is_disguised(secret()));
    EXPECT_TRUE(prompts.shown.empty());

    dialog.set_folder("/");
    dialog.DirectoryListBox1->setFocus();
    QTest::qWait(QApplication::keyboardInputInterval() + 50);  // a new search, not "sec" + "bin"
    EXPECT_EQ(password_dialogs_during([this] {
                  QTest::keyClicks(dialog.DirectoryListBox1, "bin");
                  QTest::keyClick(dialog.DirectoryListBox1, Qt::Key_Enter, Qt::KeypadModifier);
                  QTest::keyClick(dialog.FileListBox, Qt::Key_Return);
              }),
              0);
    EXPECT_EQ(dialog.current_folder(), "/bin/");
    EXPECT_TRUE(prompts.shown.empty());
    for (QPushButton* button :
         {dialog.Button1, dialog.SpeedButton3, dialog.SpeedButton4, dialog.Button2}) {
        EXPECT_FALSE(button->isDefault()) << button->text().toStdString();
    }
}

class PasswordDialog : public ::testing::Test {
protected:
    RecordingPrompts prompts;
};

TEST_F(PasswordDialog, OkChecksBothFields) {
    Tfrm_pass dialog(prompts, true);
    dialog.show();
    dialog.Edit1->setText("  ");
    dialog.btn_ok->click();
    EXPECT_EQ(dialog.focusWidget(), dialog.Edit1);
    dialog.Edit1->setText("abc");
    dialog.Edit2->setText("abd");
    dialog.btn_ok->click();
    EXPECT_EQ(dialog.focusWidget(), dialog.Edit2);
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{"请输入密码！", "两次输入的密码不一致！"}));
    EXPECT_FALSE(dialog.confirmed);
    dialog.Edit2->setText(" abc ");
    dialog.btn_ok->click();
    EXPECT_TRUE(dialog.confirmed);
    EXPECT_EQ(dialog.windowTitle(), "密码设置");
    EXPECT_EQ(dialog.Edit1->echoMode(), QLineEdit::Password);
}

TEST_F(PasswordDialog, EnterMovesOnOrConfirms) {
    Tfrm_pass dialog(prompts, true);
    dialog.show();
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), dialog.Edit1) << "blank: Enter does nothing";
    dialog.Edit1->setText("abc");
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    EXPECT_EQ(dialog.focusWidget(), dialog.Edit2);
    EXPECT_FALSE(dialog.confirmed);
    dialog.Edit2->setText("abc");
    QTest::keyClick(dialog.Edit2, Qt::Key_Return);
    EXPECT_TRUE(dialog.confirmed);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PasswordDialog, WithoutConfirmationEnterInTheFirstFieldConfirms) {
    Tfrm_pass dialog(prompts, false);
    dialog.show();
    dialog.Edit1->setText("abc");
    QTest::keyClick(dialog.Edit1, Qt::Key_Return);
    EXPECT_TRUE(dialog.confirmed);
    Tfrm_pass cancelled(prompts, false);
    cancelled.show();
    cancelled.Edit1->setText("abc");
    cancelled.btn_cancel->click();
    EXPECT_FALSE(cancelled.confirmed);
}

}  // namespace
}  // namespace velmora::tools
