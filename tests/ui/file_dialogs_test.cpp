// Qt's own file dialog, as it opens where the desktop offers none: the
// date column in the program's format, whole, whatever the session's
// regional settings.
#include <gtest/gtest.h>

#include <QAbstractProxyModel>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>

#include "ui/file_dialogs.h"

namespace {

TEST(FileDialogs, DatesReadAsTheProgramWritesThemAndFitTheirColumn) {
    QTemporaryDir folder;
    QFile file(folder.filePath("plans.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    QFileDialog dialog(nullptr, QStringLiteral("导出书签"), folder.path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    velmora::ui::write_dates_in_chinese(dialog);
    auto* files = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(files, nullptr);
    QSignalSpy loaded(files, &QFileSystemModel::directoryLoaded);
    dialog.setDirectory(folder.path());
    if (files->rowCount(files->index(folder.path())) == 0) {
        ASSERT_TRUE(loaded.wait(5000));
    }

    const QModelIndex source = files->index(folder.filePath("plans.txt"), 3);
    ASSERT_TRUE(source.isValid());
    const QString shown = dialog.proxyModel()->mapFromSource(source).data().toString();
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}/\d\d/\d\d \d\d:\d\d$)").match(shown).hasMatch())
        << shown.toStdString();

    auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(details, nullptr);
    EXPECT_GT(details->header()->sectionSize(3), details->fontMetrics().horizontalAdvance(shown));
}

}  // namespace
