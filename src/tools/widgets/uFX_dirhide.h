// The folder lock dialog: choose a folder, disguise it as a system object
// with an optional restore password, remove the disguise, or open a
// disguised folder for three seconds. The rules live in dir_disguise.h;
// this is the window around them.
#pragma once

#include <QDialog>

#include <array>
#include <string>

#include "tools/dir_disguise.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolButton;

namespace velmora::sys {
class Platform;
class Prompts;
}  // namespace velmora::sys

namespace velmora::tools {

class Tform_dirhide : public QDialog {
    Q_OBJECT

public:
    // `kept`: the folders the lock refuses besides the system's (see
    // lock_refusal); by default those of the running program.
    Tform_dirhide(sys::Prompts& prompts, sys::Platform& platform, QWidget* owner = nullptr,
                  KeptFolders kept = kept_folders_of_this_program());
    ~Tform_dirhide() override;

    // The folder the folder tree shows; ends with a separator.
    const std::string& current_folder() const { return current_folder_; }
    void set_folder(const std::string& folder);
    // The folder the three actions apply to.
    std::string target() const;

    int dir_hide(const std::string& stored_password);
    int dir_restore();

    void Button1Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void Button2Click();

    // What the lock does on Linux, and what it does not (Linux only).
    QLabel* Label_linux = nullptr;
    QComboBox* DriveComboBox1 = nullptr;
    QListWidget* DirectoryListBox1 = nullptr;
    QListWidget* FileListBox = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    std::array<QRadioButton*, 6> RadioButton{};
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* SpeedButton3 = nullptr;
    QPushButton* SpeedButton4 = nullptr;
    QPushButton* Button2 = nullptr;
    // Runs out three seconds after a disguised folder was opened, and
    // disguises it again.
    QTimer* tm_reopen = nullptr;

    // The stored password of the folder restored last, written again when
    // an opened folder is disguised again.
    std::string dirhide_pass;

protected:
    void done(int result) override;

private:
    void build();
    QWidget* build_folder_lists();
    QWidget* build_targets();
    void fill_drives();
    void fill_lists();
    void select_drive_of(const std::string& folder);
    void go_to_shell_folder(const char* name);
    bool target_is_folder(const std::string& folder);
    std::string checked_clsid() const;
    void disguise_again();
    void set_actions_enabled(bool enabled);
    void note(const std::string& text);

    sys::Prompts& prompts_;
    sys::Platform& platform_;
    KeptFolders kept_;
    std::string current_folder_;
    std::string opened_target_;  // the folder open for three seconds
};

// Opens the folder lock dialog modally over `owner`; returns when it closes.
// `kept` names the program's folders, which it never locks.
void dirhide_show(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform,
                  const KeptFolders& kept);

}  // namespace velmora::tools
