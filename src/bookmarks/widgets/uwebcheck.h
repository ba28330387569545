// The capture dialog: the pages open in the browsers as "title | address"
// lines, all ticked; OK hands back the ticked ones.
#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace velmora::bookmarks {

class Tfrm_webcheck : public QDialog {
    Q_OBJECT

public:
    explicit Tfrm_webcheck(QWidget* owner);

    QLabel* Label1 = nullptr;
    QListWidget* RzCheckList1 = nullptr;
    QPushButton* Button1 = nullptr;  // 确定(&S)
    QPushButton* Button2 = nullptr;  // 取消
    bool ok = false;                 // closed with OK

    void add_lines(const std::vector<std::string>& lines);
    std::vector<std::string> ticked_lines() const;
};

// Shows the lines, every one ticked; the lines still ticked when OK closed
// the dialog, in list order; none after cancel.
std::vector<std::string> choose_pages(QWidget* owner, const std::vector<std::string>& lines);

}  // namespace velmora::bookmarks
