// The find dialog of the bookmark tree: a keyword, the stored bookmarks
// whose path holds it, and OK to select the chosen one in the tree.
#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;
class QTableWidget;
class QTreeWidget;

namespace velmora::bookmarks {

class Tform_find : public QDialog {
    Q_OBJECT

public:
    Tform_find(QWidget* owner, std::string find_root, QTreeWidget* find_view);

    QLineEdit* Edit1 = nullptr;
    QPushButton* Button1 = nullptr;  // 查询(&Q)
    QTableWidget* StringGrid1 = nullptr;
    QPushButton* Button2 = nullptr;  // 确定(&Y)
    QPushButton* Button3 = nullptr;  // 取消(&C)

    void button1Click();
    void Button2Click();

private:
    void show_rows(const std::vector<std::string>& rows);

    std::string find_root_;
    QTreeWidget* find_view_;
};

}  // namespace velmora::bookmarks
