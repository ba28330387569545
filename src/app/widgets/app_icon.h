// The program's own icon: a small desk calendar with a crescent moon,
// painted in code so it scales to any size without image files.
#pragma once

#include <QIcon>

namespace velmora::app {

QIcon app_icon();

}  // namespace velmora::app
