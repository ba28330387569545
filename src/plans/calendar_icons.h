// Small painted icons of the plan manager's tree: a year, each of the
// twelve months, and a day.
#pragma once

#include <QIcon>

namespace velmora::plans {

QIcon year_icon();
QIcon month_icon(int month);  // 1–12: a calendar page with the month's number
QIcon day_icon();

}  // namespace velmora::plans
