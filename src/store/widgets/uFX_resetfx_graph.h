// The data management dialog: what share of the container is live data and
// what is fragment space (two labels and a tilted pie), with the backup
// button, the check (and repair) button and the choice to compact.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

#include "store/data_management.h"
#include "store/widgets/space_pie_chart.h"

class QLabel;
class QPushButton;

namespace velmora::store {

class TForm_resetfx_graph : public QDialog {
    Q_OBJECT

public:
    // Asks for the folder that takes a backup; an empty answer stops the backup.
    using FolderChooser = std::function<QString(QWidget* owner)>;

    TForm_resetfx_graph(QWidget* owner, const QString& live_mb, const QString& fragment_mb,
                        BackupAction backup, CheckAction check = {});

    void set_folder_chooser(FolderChooser chooser) { choose_folder_ = std::move(chooser); }

    QLabel* l_1 = nullptr;
    QLabel* Label_1 = nullptr;
    QLabel* Label_2 = nullptr;
    SpacePieChart* Chart1 = nullptr;
    QPushButton* SpeedButton1 = nullptr;  // "备份资料库"
    QPushButton* SpeedButton2 = nullptr;  // "检查修复"
    QPushButton* Button1 = nullptr;       // "碎片整理"
    QPushButton* Button2 = nullptr;       // "取消"

    void SpeedButton1Click();
    void SpeedButton2Click();

private:
    void build_text_panel();
    void build_figure_panel();
    void build_chart(QWidget* panel);
    void build_buttons();
    void FormShow();

    QString live_mb_;
    QString fragment_mb_;
    BackupAction backup_;
    CheckAction check_;
    FolderChooser choose_folder_;
};

// Runs the dialog modally: 1 when the user chose to compact, else 0.
int resetfx_graph_show(QWidget* owner, const std::string& live_mb, const std::string& fragment_mb,
                       const BackupAction& backup, const CheckAction& check = {});

}  // namespace velmora::store
