#include "app/widgets/ufrm_about.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "ui/dialog_layout.h"
#include "ui/theme.h"

namespace velmora::app {

namespace {

const QColor maroon(128, 0, 0);
const char* const site_name = "Velmora 工作室";

// A calligraphic face where one is installed; a plain CJK face otherwise.
QFont title_font() {
    QFont font(QStringList{"LiSu", "隶书", "STLiti", "AR PL UKai CN", "AR PL UKai TW", "KaiTi",
                           "楷体", "WenQuanYi Micro Hei"});
    font.setPixelSize(29);
    font.setBold(true);
    return font;
}

bool is_scheme_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '-' || c == '.';
}

}  // namespace

std::string address_without_scheme(const std::string& address) {
    const std::size_t colon = address.find(':');
    if (colon == 0 || colon == std::string::npos) return address;
    for (std::size_t i = 0; i < colon; ++i) {
        if (!is_scheme_char(address[i])) return address;
    }
    std::size_t start = colon + 1;
    if (address.compare(start, 2, "//") == 0) start += 2;
    return address.substr(start);
}

Tfrm_about::Tfrm_about(const AboutValues& values, std::function<void(const std::string&)> open)
    : values_(values), open_(std::move(open)) {
    setObjectName("frm_about");
    setWindowTitle("关于");
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(325, 222);
    setFont(ui::theme::song_font(12));
    build_title();
    Label_ver = add_label("Label_ver", 31, 72, "版本：" + values.version);
    Label_aut = add_label("Label_aut", 31, 90, std::string("作者：") + site_name);
    Label5 = add_label("Label5", 31, 108, "绿色/免安装/无插件/免费");
    Label2 = add_label("Label2", 31, 126, "官网：");
    Label_url = add_label("Label_url", 73, 126, address_without_scheme(values.home_page));
    Label6 = add_label("Label6", 31, 144, "信箱：");
    Label_email = add_label("Label_email", 73, 144, address_without_scheme(values.author_mail));
    for (QLabel* link : {Label_url, Label_email}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
    add_rule(27, 169);
    Button1 = new QPushButton("确定(&S)", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(226, 184, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    ui::centre_on_screen(this);
}

void Tfrm_about::build_title() {
    Label4 = add_label("Label4", 27, 26, "Velmora");
    Label4->setFont(title_font());
    ui::theme::set_text_colour(Label4, maroon);
    Label4->adjustSize();
    add_rule(31, 60);
}

QLabel* Tfrm_about::add_label(const char* name, int x, int y, const std::string& text) {
    auto* label = new QLabel(QString::fromStdString(text), this);
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    return label;
}

void Tfrm_about::add_rule(int x, int y) {
    auto* rule = new QFrame(this);
    rule->setGeometry(x, y, 274, 1);
    rule->setAutoFillBackground(true);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::Window, maroon);
    rule->setPalette(palette);
}

bool Tfrm_about::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease ||
        static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) {
        return false;
    }
    if (watched == Label_url) Label_urlClick();
    if (watched == Label_email) Label_emailClick();
    return false;
}

void about_show(const AboutValues& values, const std::function<void(const std::string&)>& open) {
    Tfrm_about dialog(values, open);
    dialog.exec();
}

}  // namespace velmora::app
