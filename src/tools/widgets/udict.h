// The online dictionary: a word typed in the top band is looked up on the
// dictionary site, whose compact page is fetched in the background and shown
// in a light HTML view below it. Links of the page open in the user's
// browser, never inside the dialog.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <string>

#include "sys/platform.h"
#include "sys/prompts.h"

class QLineEdit;
class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;

namespace velmora::tools {

// One page at a time, asynchronously, with a time-out and a limit on its
// size; a new start drops the page still on its way.
class PageFetch : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds default_timeout{20000};
    static constexpr qint64 default_limit = qint64{2} * 1024 * 1024;

    explicit PageFetch(QObject* parent, std::chrono::milliseconds timeout = default_timeout,
                       qint64 limit = default_limit);
    ~PageFetch() override;

    void start(const QUrl& address);
    bool busy() const { return !reply_.isNull(); }

signals:
    // The page's text and the address it came from after any redirection.
    void loaded(const QString& html, const QUrl& address);
    void failed(const QString& why);

private:
    void read_more();
    void finish();
    void give_up(const QString& why);
    void drop_reply();

    QNetworkAccessManager* manager_ = nullptr;
    QPointer<QNetworkReply> reply_;
    QTimer timer_;
    QByteArray body_;
    std::chrono::milliseconds timeout_;
    qint64 limit_;
};

// A view that shows HTML without fetching anything the page refers to:
// pictures and style sheets would be further requests, or reads of local
// files named by a foreign page.
class PageView : public QTextBrowser {
    Q_OBJECT

public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl& name) override;
};

struct DictOptions {
    std::string origin;  // "http://host:port" instead of the dictionary site; empty: the site
    std::chrono::milliseconds timeout = PageFetch::default_timeout;
};

class Tfrm_dict : public QDialog {
    Q_OBJECT

public:
    Tfrm_dict(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform,
              DictOptions options = {});

    QLineEdit* Edit_word = nullptr;
    QPushButton* button_word = nullptr;  // 查询
    PageView* WebBrowser_dict = nullptr;

    void button_wordClick();
    // The address the last lookup asked for; empty before the first.
    const QUrl& requested() const { return requested_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void show_page(const QString& html, const QUrl& address);
    void show_failure(const QString& why);
    void open_link(const QUrl& link);

    sys::Prompts& prompts_;
    sys::Platform& platform_;
    DictOptions options_;
    PageFetch* fetch_ = nullptr;
    QUrl requested_;
    QUrl shown_;
};

// Creates the dictionary, shows it modally and frees it.
void dict_show(QWidget* owner, sys::Prompts& prompts, sys::Platform& platform);

}  // namespace velmora::tools
