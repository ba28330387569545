// The year / month / day tree of the plan and note managers, with small
// painted icons: a year, each of the twelve months, and a day.
#pragma once

#include <QIcon>

#include "store/record_days.h"

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace velmora::calendar {

QIcon year_icon();
QIcon month_icon(int month);  // 1–12: a calendar page with the month's number
QIcon day_icon();

// An empty date tree as both managers show it: no header, 20-px icons.
QTreeWidget* make_date_tree(QWidget* parent);
// Fills the tree in date order; each node carries yyyy0000, yyyymm00 or
// yyyymmdd as its data.
void fill_date_tree(QTreeWidget* tree, const store::RecordDays& days);
// The key "yyyymmdd" of a day node, or "" for a year or month node.
std::string day_node_key(const QTreeWidgetItem* node);

}  // namespace velmora::calendar
