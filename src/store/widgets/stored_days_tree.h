// The tree of stored days that the plan and note managers share: every day
// of one record folder under its year and month, with small painted icons,
// and the rule that the shown day is saved before another node is shown (a
// failed save keeps the tree on the shown day).
#pragma once

#include <QIcon>
#include <QTreeWidget>

#include <functional>
#include <string>

#include "store/record_days.h"

namespace velmora::days {

QIcon year_icon();
QIcon month_icon(int month);  // 1–12: a calendar page with the month's number
QIcon day_icon();

// Fills a tree in date order; each node carries yyyy0000, yyyymm00 or
// yyyymmdd as its data.
void fill_date_tree(QTreeWidget* tree, const store::RecordDays& days);
// The key "yyyymmdd" of a day node, or "" for a year or month node.
std::string day_node_key(const QTreeWidgetItem* node);

class StoredDaysTree : public QTreeWidget {
    Q_OBJECT

public:
    // Saves the shown day; false (after telling the user) keeps it shown.
    using LeaveShownDay = std::function<bool()>;
    // Lists the days of `folder` ("plumora_plan", "plumora_note").
    StoredDaysTree(QWidget* parent, const std::string& folder, LeaveShownDay leave);

signals:
    // The chosen node's day key; "" for a year or month.
    void nodeShown(const std::string& key);

private:
    void choose(QTreeWidgetItem* chosen);

    LeaveShownDay leave_;
    QTreeWidgetItem* shown_node_ = nullptr;
};

}  // namespace velmora::days
