#include "bookmarks/widgets/uwebcheck.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_layout.h"

namespace velmora::bookmarks {

Tfrm_webcheck::Tfrm_webcheck(QWidget* owner) : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName("frm_webcheck");
    setWindowTitle("网址抓取");
    resize(520, 330);
    auto* column = new QVBoxLayout(this);
    Label1 = new QLabel("是否将以下打开的网页地址添加到网址书签：", this);
    column->addWidget(Label1);
    RzCheckList1 = new QListWidget(this);
    RzCheckList1->setObjectName("RzCheckList1");
    RzCheckList1->setUniformItemSizes(true);
    RzCheckList1->setStyleSheet("QListWidget::item { height: 17px; }");
    column->addWidget(RzCheckList1, 1);
    std::tie(Button1, Button2) = ui::add_ok_cancel(column, this, "确定(&S)", "取消");
    connect(Button1, &QPushButton::clicked, this, [this] {
        ok = true;
        accept();
    });
    connect(Button2, &QPushButton::clicked, this, [this] {
        ok = false;
        reject();
    });
    ui::centre_on_screen(this);
}

void Tfrm_webcheck::add_lines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        auto* entry = new QListWidgetItem(QString::fromStdString(line), RzCheckList1);
        entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
        entry->setCheckState(Qt::Checked);
        entry->setToolTip(entry->text());
    }
}

std::vector<std::string> Tfrm_webcheck::ticked_lines() const {
    std::vector<std::string> ticked;
    for (int row = 0; row < RzCheckList1->count(); ++row) {
        const QListWidgetItem* entry = RzCheckList1->item(row);
        if (entry->checkState() == Qt::Checked) ticked.push_back(entry->text().toStdString());
    }
    return ticked;
}

std::vector<std::string> choose_pages(QWidget* owner, const std::vector<std::string>& lines) {
    Tfrm_webcheck dialog(owner);
    dialog.add_lines(lines);
    dialog.exec();
    return dialog.ok ? dialog.ticked_lines() : std::vector<std::string>{};
}

}  // namespace velmora::bookmarks
