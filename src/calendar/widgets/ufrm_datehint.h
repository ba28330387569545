// The anniversary list dialog. The grid is the working copy: edits stay in
// it until 确定(&S) writes the whole list back; 取消 and the title-bar close
// simply drop it. Lines of the stored list we could not read are carried
// along untouched so confirming never loses them.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "calendar/datehint.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace velmora::sys {
class Clock;
class Prompts;
}  // namespace velmora::sys

namespace velmora::ui {
class DateField;
}

namespace velmora::calendar {

class Tfrm_datehint : public QDialog {
    Q_OBJECT

public:
    Tfrm_datehint(sys::Prompts& prompts, std::string temp_work, const sys::Clock& clock,
                  QWidget* parent = nullptr);

    // The rows as entries, in grid order; none when the list is empty.
    std::vector<Anniversary> entries() const;
    // The list is empty exactly when the first row's date cell is blank.
    bool list_empty() const;

    QTableWidget* RzStringGrid1 = nullptr;
    ui::DateField* RzDateTimePicker1 = nullptr;
    QSpinBox* RzSpinEdit1 = nullptr;
    QComboBox* RzComboBox1 = nullptr;
    QPlainTextEdit* RzMemo1 = nullptr;
    QLabel* lb_lunar_refusal = nullptr;  // a lunar day the year lacks, said at once
    // 公历 or 农历; in 农历 the lunar fields give the date and the picker
    // only shows the Gregorian day it falls on.
    QComboBox* cbx_calendar = nullptr;
    QSpinBox* sp_lunar_year = nullptr;
    QComboBox* cbx_lunar_month = nullptr;
    QComboBox* cbx_lunar_day = nullptr;
    QCheckBox* cb_leap = nullptr;
    QCheckBox* cb_yearly = nullptr;
    QPushButton* btn_add = nullptr;
    QPushButton* btn_edit = nullptr;
    QPushButton* btn_delete = nullptr;
    QPushButton* btn_ok = nullptr;
    QPushButton* btn_cancel = nullptr;
    // Why the stored list could not be read; the dialog then does not open.
    store::FxError load_error = store::FxError::none;

private:
    void build();
    void build_list();
    void build_editors();
    void build_calendar_row();
    void set_lunar_mode(bool lunar);
    void show_lunar(Date date);
    void lunar_changed();
    bool lunar_mode() const;
    void build_buttons();
    void load();
    void select_row();
    void add_entry();
    void edit_entry();
    void delete_entry();
    void confirm();
    // False, after telling the user, when the date cannot be kept or the
    // description is blank.
    bool description_given();
    Anniversary from_editors() const;
    void write_row(int row, const Anniversary& entry);
    void set_entry_buttons(bool enabled);

    sys::Prompts& prompts_;
    std::string temp_work_;
    std::vector<std::string> unparsable_;
};

// Opens the dialog modally over `owner`; returns once it is closed.
void datehint_show(QWidget* owner, sys::Prompts& prompts, const std::string& temp_work,
                   const sys::Clock& clock);

}  // namespace velmora::calendar
