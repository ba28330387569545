#include "ui/file_dialogs.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QTreeView>

namespace velmora::ui {

namespace {

// The column of QFileSystemModel that holds the last change.
constexpr int date_column = 3;

class ChineseDates final : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files == nullptr || role != Qt::DisplayRole || index.column() != date_column) {
            return QIdentityProxyModel::data(index, role);
        }
        const QDateTime changed = files->lastModified(mapToSource(index));
        if (!changed.isValid()) return QIdentityProxyModel::data(index, role);
        return changed.toString(QStringLiteral("yyyy/MM/dd HH:mm"));
    }
};

QString first_choice(QFileDialog& dialog) {
    write_dates_in_chinese(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

}  // namespace

void write_dates_in_chinese(QFileDialog& dialog) {
    // Qt takes no model when the desktop's own dialog is in use.
    dialog.setProxyModel(new ChineseDates(&dialog));
    auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (details == nullptr) return;
    // Wide enough for a whole date and time: Qt's own width cuts it.
    const int date_width =
        details->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00")) + 24;
    details->header()->resizeSection(date_column, date_width);
}

QString choose_file_to_open(QWidget* parent, const QString& caption, const QString& filter) {
    QFileDialog dialog(parent, caption, {}, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return first_choice(dialog);
}

QString choose_file_to_save(QWidget* parent, const QString& caption, const QString& name,
                            const QString& filter) {
    QFileDialog dialog(parent, caption, {}, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontResolveSymlinks);
    dialog.selectFile(name);
    return first_choice(dialog);
}

QString choose_folder(QWidget* parent, const QString& caption) {
    QFileDialog dialog(parent, caption);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return first_choice(dialog);
}

}  // namespace velmora::ui
