// Qt's own texts in Chinese: the standard dialogs (file dialogs' "查找范围",
// "文件名", the buttons), the text fields' context menus, the message boxes'
// standard buttons. Qt ships them as qtbase_zh_CN.qm, read from beside the
// program first (a portable copy, Windows), then from Qt's own folder.
#pragma once

#include <QCoreApplication>
#include <QString>

namespace velmora::app {

// False (with a diagnostic line) when no translation was found: Qt's texts
// then stay English and everything still works.
bool load_qt_translations(QCoreApplication& app, const QString& program_dir);

}  // namespace velmora::app
