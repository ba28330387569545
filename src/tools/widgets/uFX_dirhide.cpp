#include "tools/widgets/uFX_dirhide.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdlib>
#include <optional>
#include <utility>

#include "sys/platform.h"
#include "sys/prompts.h"
#include "sys/sysutil.h"
#include "tools/dir_disguise.h"
#include "tools/widgets/usetpass.h"
#include "ui/dialog_layout.h"

namespace velmora::tools {

namespace {

constexpr int reopen_wait_ms = 3000;
// How deep a folder of the tree lies, and how far each level moves it in.
constexpr int depth_role = Qt::UserRole + 1;
constexpr int indent_per_level = 10;

// The folder tree is a list whose entries are moved in by their depth. The
// depth is drawn, not written into the text, so that typing a folder's
// first letters finds it.
class IndentedFolders : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem moved(option);
        moved.rect.adjust(indent(index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, moved, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex& index) {
        return index.data(depth_role).toInt() * indent_per_level;
    }
};
constexpr const char* explanation =
    "该工具通过将普通的文件夹伪装成下列的对象之一，并在伪装过程中设置还原密码，"
    "对文件夹进行加锁保护。若进行的是“恢复还原”操作，则目标对象无需选择。";

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

std::string home_folder() {
    const char* home = std::getenv("HOME");  // NOLINT(concurrency-mt-unsafe): read once at start
    return home && *home ? home : std::string(1, sys::path_separator);
}

QToolButton* speed_button(QWidget* owner, QStyle::StandardPixmap icon, const char* hint) {
    auto* button = new QToolButton(owner);
    button->setIcon(owner->style()->standardIcon(icon));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setAutoRaise(true);
    return button;
}

}  // namespace

Tform_dirhide::Tform_dirhide(sys::Prompts& prompts, sys::Platform& platform, QWidget* owner,
                             KeptFolders kept)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint),
      prompts_(prompts),
      platform_(platform),
      kept_(std::move(kept)) {
    setObjectName("form_dirhide");
    setWindowTitle("文件夹加锁");
    tm_reopen = new QTimer(this);
    tm_reopen->setSingleShot(true);
    tm_reopen->setInterval(reopen_wait_ms);
    connect(tm_reopen, &QTimer::timeout, this, &Tform_dirhide::disguise_again);
    build();
    fill_drives();
    set_folder(home_folder());
    setFixedSize(sizeHint().expandedTo(QSize(560, 0)));
    ui::centre_on_screen(this);
}

Tform_dirhide::~Tform_dirhide() {
    // A folder opened for a moment is never left without its disguise.
    if (tm_reopen->isActive()) disguise_again();
}

void Tform_dirhide::build() {
    auto* column = new QVBoxLayout(this);
    auto* intro = new QLabel(explanation, this);
    intro->setWordWrap(true);
    column->addWidget(intro);
#ifndef _WIN32
    Label_linux = new QLabel(linux_lock_note, this);
    Label_linux->setObjectName("Label_linux");
    Label_linux->setWordWrap(true);
    QPalette palette = Label_linux->palette();
    palette.setColor(QPalette::WindowText, QColor(128, 0, 0));
    Label_linux->setPalette(palette);
    column->addWidget(Label_linux);
#endif
    column->addWidget(build_folder_lists(), 1);
    column->addWidget(build_targets());
    auto* row = new QHBoxLayout;
    Button1 = new QPushButton("文件夹伪装", this);
    SpeedButton3 = new QPushButton("取消文件夹伪装", this);
    SpeedButton4 = new QPushButton("打开伪装文件夹", this);
    Button2 = new QPushButton("关闭(&C)", this);
    for (QPushButton* button : {Button1, SpeedButton3, SpeedButton4}) row->addWidget(button);
    row->addStretch();
    row->addWidget(Button2);
    // Enter in the folder lists opens or chooses a folder and never presses
    // a button: no button is the dialog's default (a default "文件夹伪装"
    // locked the highlighted folder on Enter). Space presses a focused one.
    for (QPushButton* button : {Button1, SpeedButton3, SpeedButton4, Button2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    column->addLayout(row);
    connect(Button1, &QPushButton::clicked, this, &Tform_dirhide::Button1Click);
    connect(SpeedButton3, &QPushButton::clicked, this, &Tform_dirhide::SpeedButton3Click);
    connect(SpeedButton4, &QPushButton::clicked, this, &Tform_dirhide::SpeedButton4Click);
    connect(Button2, &QPushButton::clicked, this, &Tform_dirhide::Button2Click);
}

QWidget* Tform_dirhide::build_folder_lists() {
    auto* area = new QWidget(this);
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 0, 0, 0);
    auto* drive_row = new QHBoxLayout;
    DriveComboBox1 = new QComboBox(area);
    DriveComboBox1->setToolTip("Change disk drive.");
    SpeedButton1 = speed_button(area, QStyle::SP_DesktopIcon, "桌面");
    SpeedButton2 = speed_button(area, QStyle::SP_DirHomeIcon, "我的文档");
    drive_row->addWidget(DriveComboBox1, 1);
    drive_row->addWidget(SpeedButton1);
    drive_row->addWidget(SpeedButton2);
    DirectoryListBox1 = new QListWidget(area);
    FileListBox = new QListWidget(area);
    // Folder and file glyphs of one size, so the names line up.
    DirectoryListBox1->setIconSize(QSize(16, 16));
    FileListBox->setIconSize(QSize(16, 16));
    DirectoryListBox1->setAccessibleName("文件夹");
    DirectoryListBox1->setItemDelegate(new IndentedFolders(DirectoryListBox1));
    FileListBox->setAccessibleName("文件夹内容");
    grid->addLayout(drive_row, 0, 0);
    grid->addWidget(DirectoryListBox1, 1, 0);
    grid->addWidget(FileListBox, 0, 1, 2, 1);
    grid->setRowMinimumHeight(1, 190);
    connect(DriveComboBox1, &QComboBox::activated, this, [this](int index) {
        set_folder(DriveComboBox1->itemData(index).toString().toStdString());
    });
    connect(SpeedButton1, &QToolButton::clicked, this, &Tform_dirhide::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &Tform_dirhide::SpeedButton2Click);
    connect(DirectoryListBox1, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        set_folder(item->data(Qt::UserRole).toString().toStdString());
    });
    return area;
}

QWidget* Tform_dirhide::build_targets() {
    auto* area = new QWidget(this);
    auto* grid = new QGridLayout(area);
    grid->setContentsMargins(0, 4, 0, 4);
    grid->addWidget(new QLabel("将文件夹伪装成下来目标对象之一：", area), 0, 0, 1, 3);
    for (std::size_t i = 0; i < RadioButton.size(); ++i) {
        RadioButton[i] = new QRadioButton(disguise_targets[i].caption, area);
        RadioButton[i]->setObjectName(QString("RadioButton%1").arg(i + 1));
        grid->addWidget(RadioButton[i], 1 + static_cast<int>(i / 3), static_cast<int>(i % 3));
    }
    RadioButton[0]->setChecked(true);
    CheckBox1 = new QCheckBox("为伪装的文件夹设置密码", area);
    CheckBox1->setChecked(true);
    grid->addWidget(CheckBox1, 3, 0, 1, 3);
    return area;
}

void Tform_dirhide::fill_drives() {
    std::vector<std::string> drives;
    sys::fixed_drives(drives);
    for (const std::string& drive : drives) DriveComboBox1->addItem(qt(drive), qt(drive));
}

void Tform_dirhide::set_folder(const std::string& folder) {
    current_folder_ = target_folder(folder, "");
    select_drive_of(current_folder_);
    fill_lists();
}

void Tform_dirhide::select_drive_of(const std::string& folder) {
    int best = -1;
    qsizetype best_length = -1;
    for (int i = 0; i < DriveComboBox1->count(); ++i) {
        const QString drive = DriveComboBox1->itemData(i).toString();
        if (qt(folder).startsWith(drive) && drive.size() > best_length) {
            best = i;
            best_length = drive.size();
        }
    }
    DriveComboBox1->setCurrentIndex(best);
}

void Tform_dirhide::fill_lists() {
    const std::vector<std::string> chain = folder_chain(current_folder_);
    DirectoryListBox1->clear();
    const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int depth = 0;
    for (const std::string& folder : chain) {
        const std::string last = sys::path_last(folder);
        auto* item = new QListWidgetItem(open_icon, qt(last.empty() ? folder : last));
        item->setData(Qt::UserRole, qt(folder));
        item->setData(depth_role, depth++);
        DirectoryListBox1->addItem(item);
    }
    DirectoryListBox1->setCurrentRow(DirectoryListBox1->count() - 1);
    // A refresh after an action keeps the entry chosen, so the next action
    // applies to the same folder.
    const QListWidgetItem* chosen = FileListBox->currentItem();
    const QString chosen_name =
        chosen && chosen->isSelected() ? chosen->data(Qt::UserRole).toString() : QString();
    FileListBox->clear();
    const QIcon file_icon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const FolderEntry& entry : list_entries(current_folder_, true)) {
        if (entry.is_folder) {
            auto* item = new QListWidgetItem(closed_icon, qt(entry.name));
            item->setData(Qt::UserRole, qt(current_folder_ + entry.name));
            item->setData(depth_role, depth);
            DirectoryListBox1->addItem(item);
        }
        auto* item = new QListWidgetItem(entry.is_folder ? closed_icon : file_icon,
                                         qt(entry_caption(entry)));
        item->setData(Qt::UserRole, qt(entry.name));
        FileListBox->addItem(item);
        if (!chosen_name.isEmpty() && qt(entry.name) == chosen_name)
            FileListBox->setCurrentItem(item);
    }
}

std::string Tform_dirhide::target() const {
    const QListWidgetItem* entry = FileListBox->currentItem();
    const bool chosen = entry && entry->isSelected();
    return target_folder(current_folder_,
                         chosen ? entry->data(Qt::UserRole).toString().toStdString() : "");
}

std::string Tform_dirhide::checked_clsid() const {
    for (std::size_t i = 0; i < RadioButton.size(); ++i) {
        if (RadioButton[i]->isChecked()) return disguise_targets[i].clsid;
    }
    return disguise_targets[0].clsid;
}

void Tform_dirhide::note(const std::string& text) {
    prompts_.inform(text, "请注意", sys::PromptIcon::information);
}

bool Tform_dirhide::target_is_folder(const std::string& folder) {
    if (is_folder(folder)) return true;
    note(not_a_folder_message(folder));
    return false;
}

int Tform_dirhide::dir_hide(const std::string& stored_password) {
    std::string error;
    const int result = tools::dir_hide(target(), checked_clsid(), stored_password, kept_, error);
    if (result != 1) note(error);
    fill_lists();
    return result;
}

int Tform_dirhide::dir_restore() {
    const auto ask = [this]() -> std::optional<std::string> {
        Tfrm_pass dialog(prompts_, false, this);
        dialog.exec();
        if (!dialog.confirmed) return std::nullopt;
        return dialog.Edit1->text().toStdString();
    };
    std::string error;
    const RestoreCode code = tools::dir_restore(target(), ask, dirhide_pass, error);
    if (code == RestoreCode::failed) note(error);
    fill_lists();
    return static_cast<int>(code);
}

void Tform_dirhide::Button1Click() {
    const std::string folder = target();
    if (!target_is_folder(folder)) return;
    // Refused before any password is asked for.
    if (const std::string refusal = lock_refusal(folder, kept_); !refusal.empty()) {
        note(refusal);
        return;
    }
    if (is_disguised(folder)) {
        note("文件夹已进行过伪装，无需再伪装！");
        return;
    }
    std::string stored;
    if (CheckBox1->isChecked()) {
        Tfrm_pass dialog(prompts_, true, this);
        dialog.exec();
        if (!dialog.confirmed) return;
        stored = make_password_verifier(dialog.Edit1->text().trimmed().toStdString());
    }
    if (dir_hide(stored) == 1) note("文件夹伪装隐藏成功！");
}

void Tform_dirhide::SpeedButton3Click() {
    if (!target_is_folder(target())) return;
    switch (static_cast<RestoreCode>(dir_restore())) {
        case RestoreCode::not_disguised: note("选择的文件夹并未进行过伪装，无需恢复还原！"); break;
        case RestoreCode::wrong_password: note("密码输入错误！"); break;
        case RestoreCode::done: note("文件夹恢复还原成功！"); break;
        default: break;
    }
}

void Tform_dirhide::SpeedButton4Click() {
    const std::string folder = target();
    if (!target_is_folder(folder)) return;
    dirhide_pass.clear();
    const int result = dir_restore();
    if (result == static_cast<int>(RestoreCode::wrong_password)) note("输入的密码不正确！");
    if (result != static_cast<int>(RestoreCode::done)) return;
    opened_target_ = folder;
    int error_code = 0;
    if (!platform_.open_address(folder, error_code)) {
        disguise_again();
        note("无法打开文件夹“" + folder + "”（错误 " + std::to_string(error_code) + "）！");
        return;
    }
    // The dialog stays responsive while the folder is open; the actions wait,
    // so nothing else happens to the folder before its disguise is back.
    set_actions_enabled(false);
    tm_reopen->start();
}

void Tform_dirhide::disguise_again() {
    tm_reopen->stop();
    std::string error;
    // The folder that was opened, whatever is selected by now, with the
    // disguise checked at this moment.
    if (tools::dir_hide(opened_target_, checked_clsid(), dirhide_pass, kept_, error) != 1) {
        note(error);
    }
    set_actions_enabled(true);
    fill_lists();
}

void Tform_dirhide::set_actions_enabled(bool enabled) {
    for (QPushButton* button : {Button1, SpeedButton3, SpeedButton4}) button->setEnabled(enabled);
}

void Tform_dirhide::go_to_shell_folder(const char* name) {
    const std::string folder = sys::shell_folder(name);
    if (!folder.empty() && is_folder(folder)) set_folder(folder);
}

void Tform_dirhide::SpeedButton1Click() {
    go_to_shell_folder("desktop");
}
void Tform_dirhide::SpeedButton2Click() {
    go_to_shell_folder("personal");
}
void Tform_dirhide::Button2Click() {
    reject();
}

void Tform_dirhide::done(int result) {
    if (tm_reopen->isActive()) disguise_again();
    QDialog::done(result);
}

void dirhide_show(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform,
                  const KeptFolders& kept) {
    Tform_dirhide dialog(prompts, platform, owner, kept);
    dialog.exec();
}

}  // namespace velmora::tools
