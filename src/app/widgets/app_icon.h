// The program's own icon: a small desk calendar with a crescent moon,
// painted in code so it scales to any size without image files.
#pragma once

#include <QIcon>
#include <QString>

namespace velmora::app {

QIcon app_icon();
// The status area's icon: the same sheet with `day` ("11") written on it.
QIcon day_icon(const QString& day);

}  // namespace velmora::app
