// The options dialog: six pages of settings, one shown at a time, opened at
// the page its caller is about. It moves the values of `OptionValues` into
// its controls and back; what an OK stores and applies is the caller's.
#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <string>

#include "app/options.h"
#include "sys/prompts.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTimeEdit;

namespace velmora::app {

struct OptionLinks {
    std::function<void(int opacity)> preview_opacity;  // the main window, live
    // Stores, applies and saves the values; false keeps the dialog open.
    std::function<bool(const OptionValues& values)> confirm;
    // A line under the hotkeys when they cannot all work; "" when they can.
    std::function<std::string()> hotkey_note;
    // A line under each "只在工作日提醒" when this year's holiday
    // arrangement is not known; "" when it is (see app::workdays_note).
    std::function<std::string()> workdays_note;
    // A line under the basic page where the desktop places the window
    // itself; "" elsewhere.
    std::function<std::string()> placement_note = {};
};

struct HotkeyRow {
    QCheckBox* use = nullptr;
    QCheckBox* ctrl = nullptr;
    QCheckBox* alt = nullptr;
    QComboBox* key = nullptr;
};

class Tfrm_option : public QDialog {
    Q_OBJECT

public:
    Tfrm_option(QWidget* owner, int page, const OptionValues& values, sys::Prompts& prompts,
                OptionLinks links);

    QTabWidget* RzPageControl1 = nullptr;
    QPushButton* Button1 = nullptr;  // 确定(&S)
    QPushButton* Button2 = nullptr;  // 取消
    // 基本设置
    QCheckBox* cb_desktoplink = nullptr;
    QCheckBox* cb_autorun = nullptr;
    QSlider* TrackBar1 = nullptr;
    QCheckBox* cb_todesktop = nullptr;
    // 热键管理: hide windows, close windows, hide desktop icons, hide taskbar
    std::array<HotkeyRow, 4> hotkeys;
    QLabel* hotkey_note = nullptr;
    // 护眼提醒
    QCheckBox* cb_eyehint = nullptr;
    QSpinBox* UpDown1 = nullptr;  // with its read-only Edit_time
    QCheckBox* cb_eyehint_workdays = nullptr;
    QLabel* eye_workdays_note = nullptr;
    // 定时关机
    QCheckBox* cb_shutdown = nullptr;
    QTimeEdit* dtp_shutdown = nullptr;
    // 编辑器设置
    QComboBox* RzFontComboBox1 = nullptr;
    QComboBox* RzColorComboBox1 = nullptr;
    QComboBox* RzComboBox1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    // 任务提醒
    QCheckBox* cb_taskhint = nullptr;
    QSpinBox* UpDown2 = nullptr;  // with its read-only Edit_taskhint
    QCheckBox* cb_taskhint_workdays = nullptr;
    QLabel* task_workdays_note = nullptr;
    QLabel* placement_note = nullptr;

    void Button1Click();
    void TrackBar1Change(int position);
    void RzFontComboBox1Change();
    // The controls' values as they stand.
    OptionValues values() const;

private:
    void build_pages();
    QWidget* make_basic_page();
    QWidget* make_hotkey_page();
    QWidget* make_eye_page();
    QWidget* make_shutdown_page();
    QWidget* make_editor_page();
    QWidget* make_task_page();
    struct IntervalPage {
        const char* name;
        const char* note;
        const char* switch_caption;
        const char* interval_caption;
        const char* interval_name;
        int low, high, step;
    };
    // The controls a reminder's page makes.
    struct IntervalControls {
        QCheckBox*& use;
        QSpinBox*& interval;
        QCheckBox*& workdays;
        QLabel*& workdays_note;
    };
    QWidget* interval_page(const IntervalPage& text, IntervalControls controls);
    void fill(const OptionValues& values);
    void fill_workdays_notes();
    void fill_hotkeys(const OptionValues& values);
    void fill_editor(const OptionValues& values);
    void show_page(int page);

    sys::Prompts& prompts_;
    OptionLinks links_;
    OptionValues shown_;
};

// Builds the dialog at `page`, shows it modally and destroys it; true after OK.
bool option_show(QWidget* owner, int page, const OptionValues& values, sys::Prompts& prompts,
                 OptionLinks links);

}  // namespace velmora::app
