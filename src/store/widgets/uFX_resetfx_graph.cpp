#include "store/widgets/uFX_resetfx_graph.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "ui/dialog_layout.h"
#include "ui/file_dialogs.h"
#include "ui/theme.h"

namespace velmora::store {

namespace {

constexpr int client_width = 537;
constexpr int client_height = 312;
constexpr int panel_left = 8;
constexpr int panel_width = 521;
constexpr int button_width = 85;
constexpr int button_height = 25;

const char* const intro_text =
    "      本软件涉及的所有资料和数据均存储在资料库文件zenqdata.fx中，并通过专用的文件系统进行"
    "管理。对资料库的频繁读写，会在资料库内部产生一些存储碎片（不连续的存储区域），碎片不会影响"
    "操作速度，但会多占据一些存储空间，碎片整理可以释放碎片占用的磁盘空间，使资料库更小。";

QFrame* make_panel(QWidget* owner, int top, int height) {
    auto* panel = new QFrame(owner);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, ui::theme::panel);
    panel->setPalette(palette);
    panel->setGeometry(panel_left, top, panel_width, height);
    return panel;
}

QLabel* make_figure_label(QWidget* panel, int top, const QColor& colour) {
    auto* label = new QLabel(panel);
    label->setFont(ui::theme::song_font(14, true));
    ui::theme::set_text_colour(label, colour);
    label->setGeometry(24, top, 200, 24);
    return label;
}

QPushButton* make_button(QWidget* owner, const char* text, int left) {
    auto* button = new QPushButton(QString::fromUtf8(text), owner);
    button->setGeometry(left, client_height - button_height - 10, button_width, button_height);
    return button;
}

}  // namespace

TForm_resetfx_graph::TForm_resetfx_graph(QWidget* owner, const QString& live_mb,
                                         const QString& fragment_mb, BackupAction backup,
                                         CheckAction check)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      live_mb_(live_mb),
      fragment_mb_(fragment_mb),
      backup_(std::move(backup)),
      check_(std::move(check)),
      choose_folder_([](QWidget* parent) {
          return ui::choose_folder(parent,
                                   QString::fromUtf8(datamgmt_messages::choose_backup_folder));
      }) {
    setObjectName("Form_resetfx_graph");
    setWindowTitle(QString::fromUtf8("数据管理"));
    setFont(ui::theme::song_font(12));
    setFixedSize(client_width, client_height);
    build_text_panel();
    build_figure_panel();
    build_buttons();
    FormShow();
    ui::centre_on_screen(this);
}

void TForm_resetfx_graph::build_text_panel() {
    QFrame* panel = make_panel(this, 8, 89);
    l_1 = new QLabel(QString::fromUtf8(intro_text), panel);
    l_1->setWordWrap(true);
    l_1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    l_1->setFont(ui::theme::song_font(12));
    ui::theme::set_text_colour(l_1, ui::theme::plan_text);
    l_1->setGeometry(8, 4, panel_width - 16, 89 - 8);
}

void TForm_resetfx_graph::build_figure_panel() {
    QFrame* panel = make_panel(this, 8 + 89 + 6, 160);
    Label_1 = make_figure_label(panel, 52, SpacePieChart::live_colour);
    Label_2 = make_figure_label(panel, 86, SpacePieChart::fragment_colour);
    build_chart(panel);
}

void TForm_resetfx_graph::build_chart(QWidget* panel) {
    Chart1 = new SpacePieChart(panel);
    Chart1->setObjectName("Chart1");
    Chart1->setGeometry(panel_width - 288 - 8, 4, 288, 151);
}

void TForm_resetfx_graph::build_buttons() {
    SpeedButton1 = make_button(this, "备份资料库", panel_left);
    SpeedButton2 = make_button(this, "检查修复", panel_left + button_width + 8);
    SpeedButton2->setToolTip(
        QString::fromUtf8("全面检查资料库；索引与记录不一致时，先备份资料库，再重建索引"));
    Button1 = make_button(this, "碎片整理", client_width - panel_left - 2 * button_width - 8);
    Button2 = make_button(this, "取消", client_width - panel_left - button_width);
    Button1->setDefault(true);
    connect(SpeedButton1, &QPushButton::clicked, this, &TForm_resetfx_graph::SpeedButton1Click);
    connect(SpeedButton2, &QPushButton::clicked, this, &TForm_resetfx_graph::SpeedButton2Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm_resetfx_graph::FormShow() {
    Chart1->set_figures(live_mb_.toDouble(), fragment_mb_.toDouble());
    Label_1->setText(QString::fromStdString(used_space_label(live_mb_.toStdString())));
    Label_2->setText(QString::fromStdString(fragment_space_label(fragment_mb_.toStdString())));
}

void TForm_resetfx_graph::SpeedButton1Click() {
    const QString folder = choose_folder_(this).trimmed();
    if (folder.isEmpty()) return;
    if (backup_) backup_(folder.toStdString());
}

// The check runs with the dialog open, as the backup does.
void TForm_resetfx_graph::SpeedButton2Click() {
    if (check_) check_();
}

int resetfx_graph_show(QWidget* owner, const std::string& live_mb, const std::string& fragment_mb,
                       const BackupAction& backup, const CheckAction& check) {
    TForm_resetfx_graph dialog(owner, QString::fromStdString(live_mb),
                               QString::fromStdString(fragment_mb), backup, check);
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

}  // namespace velmora::store
