#include "tools/widgets/udict.h"
#include "sys/error_text.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

#include "tools/search_templates.h"
#include "ui/dialog_layout.h"

namespace velmora::tools {

namespace {

constexpr const char* lookup_caption = "查询";
constexpr const char* looking_up_caption = "正在查询...";

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

}  // namespace

PageFetch::PageFetch(QObject* parent, std::chrono::milliseconds timeout, qint64 limit)
    : QObject(parent), manager_(new QNetworkAccessManager(this)), timeout_(timeout), limit_(limit) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
        give_up(QString("网站在 %1 秒内没有答复。")
                    .arg(static_cast<double>(timeout_.count()) / 1000.0));
    });
}

PageFetch::~PageFetch() {
    drop_reply();
}

void PageFetch::start(const QUrl& address) {
    drop_reply();
    body_.clear();
    QNetworkRequest request(address);
    request.setMaximumRedirectsAllowed(5);
    request.setHeader(QNetworkRequest::UserAgentHeader, "Mozilla/5.0 (compatible; Velmora)");
    reply_ = manager_->get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &PageFetch::read_more);
    connect(reply_, &QNetworkReply::finished, this, &PageFetch::finish);
    timer_.start(timeout_);
}

void PageFetch::read_more() {
    if (reply_.isNull()) return;
    body_ += reply_->readAll();
    if (body_.size() > limit_) {
        give_up(QString("页面大于 %1 KB，没有显示。").arg(limit_ / 1024));
    }
}

namespace {

// The network's failures in the user's words; Qt's own texts are English
// and name the host in its own way.
QString network_error_text(QNetworkReply::NetworkError error) {
    switch (error) {
        case QNetworkReply::HostNotFoundError: return "找不到服务器";
        case QNetworkReply::ConnectionRefusedError: return "服务器拒绝连接";
        case QNetworkReply::RemoteHostClosedError: return "服务器中断了连接";
        case QNetworkReply::TimeoutError: return "连接超时";
        case QNetworkReply::SslHandshakeFailedError: return "无法建立安全连接（证书或加密有误）";
        case QNetworkReply::NetworkSessionFailedError:
        case QNetworkReply::TemporaryNetworkFailureError: return "网络不通";
        case QNetworkReply::ProxyConnectionRefusedError:
        case QNetworkReply::ProxyNotFoundError:
        case QNetworkReply::ProxyTimeoutError: return "无法通过代理服务器连接";
        case QNetworkReply::TooManyRedirectsError: return "网页转向次数太多";
        case QNetworkReply::ProtocolUnknownError: return "不支持这种网址";
        default: return QString("网络错误（代码 %1）").arg(static_cast<int>(error));
    }
}

}  // namespace

void PageFetch::finish() {
    if (reply_.isNull()) return;
    read_more();
    if (reply_.isNull()) return;  // too big
    QNetworkReply* reply = reply_;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() >= 400) {
        const QString phrase =
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        give_up(QString("网站答复：%1 %2").arg(status.toInt()).arg(phrase).trimmed());
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        give_up("无法取得页面：" + network_error_text(reply->error()));
        return;
    }
    const QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    const std::string text =
        page_text(std::string_view(body_.constData(), static_cast<std::size_t>(body_.size())),
                  std::string_view(type.constData(), static_cast<std::size_t>(type.size())));
    const QUrl address = reply->url();
    drop_reply();
    emit loaded(QString::fromStdString(text), address);
}

void PageFetch::give_up(const QString& why) {
    drop_reply();
    emit failed(why);
}

// The reply is told to stop before it is let go, and no longer reports.
void PageFetch::drop_reply() {
    timer_.stop();
    if (reply_.isNull()) return;
    QNetworkReply* reply = reply_;
    reply_ = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    reply->abort();
    reply->deleteLater();
}

QVariant PageView::loadResource(int /*type*/, const QUrl& /*name*/) {
    return {};
}

Tfrm_dict::Tfrm_dict(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform,
                     DictOptions options)
    : QDialog(owner, Qt::Tool | Qt::WindowStaysOnTopHint),
      prompts_(prompts),
      platform_(platform),
      options_(std::move(options)) {
    setObjectName("frm_dict");
    setWindowTitle("在线词典");
    resize(560, 440);
    build();
    fetch_ = new PageFetch(this, options_.timeout);
    connect(fetch_, &PageFetch::loaded, this, &Tfrm_dict::show_page);
    connect(fetch_, &PageFetch::failed, this, &Tfrm_dict::show_failure);
    Edit_word->setFocus();
    ui::centre_on_screen(this);
}

void Tfrm_dict::build() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);
    auto* band = new QHBoxLayout;
    auto* label = new QLabel("请输入：", this);
    Edit_word = new QLineEdit(this);
    label->setBuddy(Edit_word);
    button_word = new QPushButton(lookup_caption, this);
    button_word->setAutoDefault(false);
    button_word->setMinimumWidth(90);
    band->addWidget(label);
    band->addWidget(Edit_word, 1);
    band->addWidget(button_word);
    column->addLayout(band);
    WebBrowser_dict = new PageView(this);
    WebBrowser_dict->setOpenLinks(false);
    WebBrowser_dict->setAccessibleName("词典页面");
    column->addWidget(WebBrowser_dict, 1);
    connect(button_word, &QPushButton::clicked, this, &Tfrm_dict::button_wordClick);
    connect(WebBrowser_dict, &QTextBrowser::anchorClicked, this, &Tfrm_dict::open_link);
    Edit_word->installEventFilter(this);
}

// The page comes later: the caption is back at once and a new lookup
// replaces the one still on its way.
void Tfrm_dict::button_wordClick() {
    const std::optional<std::string> address =
        dictionary_address(Edit_word->text().toStdString(), options_.origin);
    if (!address) {
        Edit_word->setFocus();
        return;
    }
    button_word->setText(looking_up_caption);
    button_word->setEnabled(false);
    requested_ = QUrl::fromEncoded(QByteArray::fromStdString(*address));
    WebBrowser_dict->setHtml("<p style=\"color:grey\">" + escaped(looking_up_caption) + "</p>");
    fetch_->start(requested_);
    button_word->setText(lookup_caption);
    button_word->setEnabled(true);
}

bool Tfrm_dict::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit_word && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (button_word->isEnabled()) button_wordClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tfrm_dict::show_page(const QString& html, const QUrl& address) {
    shown_ = address;
    WebBrowser_dict->setHtml(html);
}

void Tfrm_dict::show_failure(const QString& why) {
    shown_ = QUrl();
    WebBrowser_dict->setHtml("<p style=\"color:red\">查询失败：" + escaped(why) + "</p><p>" +
                             escaped(requested_.toString()) + "</p>");
}

// Only web addresses leave the dialog: a foreign page must not make us open
// local files or programs.
void Tfrm_dict::open_link(const QUrl& link) {
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
        WebBrowser_dict->scrollToAnchor(link.fragment());
        return;
    }
    const QUrl target = shown_.isEmpty() ? link : shown_.resolved(link);
    if (target.scheme() != "http" && target.scheme() != "https") return;
    int error = 0;
    if (!platform_.open_address(target.toEncoded().toStdString(), error)) {
        prompts_.inform("无法打开网址：" + sys::error_text(error), {}, sys::PromptIcon::error);
    }
}

void dict_show(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform) {
    Tfrm_dict dialog(owner, prompts, platform);
    dialog.exec();
}

}  // namespace velmora::tools
