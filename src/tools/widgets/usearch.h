// The categorized search: seven bands, each building a search address for
// one kind of query from what was typed and handing it to the user's
// browser.
#pragma once

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

#include "sys/clock.h"
#include "sys/platform.h"
#include "sys/prompts.h"
#include "tools/search_templates.h"

class QDateEdit;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace velmora::tools {

class Tfrm_search : public QDialog {
    Q_OBJECT

public:
    Tfrm_search(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform,
                const sys::Clock& clock);

    QLineEdit* Edit_begin = nullptr;
    QLineEdit* Edit_end = nullptr;
    QPushButton* button_che = nullptr;  // 搜火车票
    QLineEdit* Edit_fly_city1 = nullptr;
    QLineEdit* Edit_fly_city2 = nullptr;
    QDateEdit* RzDateTimePicker_fly_date = nullptr;
    QPushButton* Button_fly = nullptr;  // 搜机票
    QLineEdit* Edit_buy = nullptr;
    QPushButton* Button_buy = nullptr;
    QLineEdit* Edit_music = nullptr;
    QPushButton* Button_music = nullptr;
    QLineEdit* Edit_moive = nullptr;
    QPushButton* Button_moive = nullptr;
    QLineEdit* Edit_map = nullptr;
    QPushButton* Button_map = nullptr;
    QLineEdit* Edit_soft = nullptr;
    QPushButton* Button_soft = nullptr;

    // Each answers whether the address went to the browser (the dialog then
    // closes); a band with an empty field does nothing.
    bool button_cheClick() { return search(Band::train); }
    bool Button_flyClick() { return search(Band::flight); }
    bool Button_buyClick() { return search(Band::shopping); }
    bool Button_musicClick() { return search(Band::music); }
    bool Button_moiveClick() { return search(Band::video); }
    bool Button_mapClick() { return search(Band::map); }
    bool Button_softClick() { return search(Band::software); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void add_band(QVBoxLayout* column, const std::vector<std::pair<const char*, QWidget*>>& fields,
                  QPushButton*& button, const char* caption, Band band);
    QDateEdit* make_date_field();
    QLineEdit* edit(Field field);
    QWidget* widget_of(Field field) const;
    bool search(Band band);
    std::vector<std::string> band_fields(Band band) const;

    sys::Prompts& prompts_;
    sys::Platform& platform_;
    const sys::Clock& clock_;
    std::vector<std::pair<QWidget*, Field>> fields_;
};

// Creates the search dialog, shows it modally and frees it.
void search_show(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform,
                 const sys::Clock& clock);

}  // namespace velmora::tools
