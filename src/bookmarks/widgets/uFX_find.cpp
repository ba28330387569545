#include "bookmarks/widgets/uFX_find.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "bookmarks/bookmark_store.h"
#include "store/widgets/ukx_fxtree.h"
#include "ui/dialog_layout.h"

namespace velmora::bookmarks {

namespace {

QTableWidget* make_grid(QWidget* owner) {
    auto* grid = new QTableWidget(1, 2, owner);
    grid->setObjectName("StringGrid1");
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setDefaultSectionSize(800);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setShowGrid(true);
    return grid;
}

// The first node of the view, in node order, that stands for `index`.
QTreeWidgetItem* node_of(QTreeWidget* view, int index) {
    for (QTreeWidgetItem* node : store::all_nodes(view)) {
        if (store::node_index(node) == index) return node;
    }
    return nullptr;
}

}  // namespace

Tform_find::Tform_find(QWidget* owner, std::string find_root, QTreeWidget* find_view)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint),
      find_root_(std::move(find_root)),
      find_view_(find_view) {
    setObjectName("form_find");
    setWindowTitle("查找");
    resize(420, 320);
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel("请输入关键字：", this));
    auto* search = new QHBoxLayout;
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Button1 = new QPushButton("查询(&Q)", this);
    search->addWidget(Edit1, 1);
    search->addWidget(Button1);
    column->addLayout(search);
    StringGrid1 = make_grid(this);
    column->addWidget(StringGrid1, 1);
    std::tie(Button2, Button3) = ui::add_ok_cancel(column, this, "确定(&Y)", "取消(&C)");
    // Enter in the keyword field searches, and nothing else: no button
    // takes the key as well.
    for (QPushButton* button : {Button1, Button2, Button3}) {
        button->setDefault(false);
        button->setAutoDefault(false);
    }
    connect(Edit1, &QLineEdit::returnPressed, this, &Tform_find::button1Click);
    connect(Button1, &QPushButton::clicked, this, &Tform_find::button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tform_find::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, &Tform_find::Button2Click);
    ui::centre_on_screen(this);
    Edit1->setFocus();
}

void Tform_find::button1Click() {
    const QString term = Edit1->text();
    if (term.trimmed().isEmpty()) return;
    std::vector<store::ListedItem> items;
    const store::FxError listed = store::list_container(items);
    show_rows(listed == store::FxError::none ? find_bookmarks(items, find_root_, term.toStdString())
                                             : std::vector<std::string>{});
    if (listed != store::FxError::none) {
        StringGrid1->setItem(
            0, 0,
            new QTableWidgetItem(QString::fromStdString(not_saved_message("无法查找", listed))));
    }
}

void Tform_find::show_rows(const std::vector<std::string>& rows) {
    StringGrid1->clearContents();
    StringGrid1->setRowCount(std::max<int>(1, static_cast<int>(rows.size())));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        StringGrid1->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(rows[row])));
    }
    if (!rows.empty()) StringGrid1->setCurrentCell(0, 0);
}

void Tform_find::Button2Click() {
    const QTableWidgetItem* cell = StringGrid1->item(StringGrid1->currentRow(), 0);
    const QString text = cell ? cell->text().trimmed() : QString();
    if (text.isEmpty()) return;
    const int index = store::find_item(find_root_ + text.toStdString()).index;
    if (index <= 0) return;
    if (QTreeWidgetItem* node = node_of(find_view_, index)) store::select_alone(find_view_, node);
    accept();
}

}  // namespace velmora::bookmarks
