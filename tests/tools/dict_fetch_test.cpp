// The dictionary against a small HTTP server of the test's own on
// 127.0.0.1: a page, a missing page, a page too big and a server that never
// answers. Every wait runs the event loop, so the dialog is seen working
// while the page is on its way.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <chrono>

#include "app/recording_prompts.h"
#include "sys/fake_platform.h"
#include "sys/textcodec.h"
#include "tools/widgets/udict.h"

namespace velmora::tools {
namespace {

using namespace std::chrono_literals;

// Answers every request with one fixed response, or never.
class TinyServer : public QObject {
public:
    QByteArray response;  // empty: the server never answers
    QList<QByteArray> requests;

    TinyServer() {
        server_.listen(QHostAddress::LocalHost);
        connect(&server_, &QTcpServer::newConnection, this, &TinyServer::take);
    }
    std::string origin() const {
        return "http://127.0.0.1:" + std::to_string(server_.serverPort());
    }

    static QByteArray reply(const QByteArray& status, const QByteArray& type,
                            const QByteArray& body) {
        return "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
               "\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size()) +
               "\r\n\r\n" + body;
    }

private:
    void take() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                const QByteArray head = socket->readAll();
                requests.append(head.left(head.indexOf("\r\n")));
                if (response.isEmpty()) return;
                socket->write(response);
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer server_;
};

class DictFetch : public ::testing::Test {
protected:
    TinyServer server;
    testing::RecordingPrompts prompts;
    sys::testing::FakePlatform platform;
    Tfrm_dict dialog{nullptr, prompts, platform, DictOptions{server.origin(), 300ms}};

    QString view_text() const { return dialog.WebBrowser_dict->toPlainText(); }
    bool wait_for_view(const QString& part) {
        return QTest::qWaitFor([&] { return view_text().contains(part); }, 5000);
    }
    void look_up(const QString& word) {
        dialog.Edit_word->setText(word);
        dialog.button_word->click();
    }
};

TEST_F(DictFetch, ShowsThePageAndOpensItsLinksOutside) {
    const std::string body =
        "<html><body><p>\xe4\xb8\xad means middle</p>"
        "<a href=\"/more?w=1\">more</a></body></html>";
    server.response = TinyServer::reply("200 OK", "text/html; charset=gbk",
                                        QByteArray::fromStdString(text::to_gb18030(body)));
    look_up(" a&b #");
    // The click has returned before the page came.
    EXPECT_TRUE(dialog.button_word->isEnabled());
    EXPECT_EQ(dialog.button_word->text(), "查询");
    EXPECT_FALSE(view_text().contains("means middle"));
    ASSERT_TRUE(wait_for_view(QString::fromUtf8("\xe4\xb8\xad means middle")));
    ASSERT_EQ(server.requests.size(), 1);
    EXPECT_EQ(server.requests[0], "GET /mini.php?q=%20a%26b%20%23 HTTP/1.1");

    emit dialog.WebBrowser_dict->anchorClicked(QUrl("/more?w=1"));
    emit dialog.WebBrowser_dict->anchorClicked(QUrl("javascript:alert(1)"));
    emit dialog.WebBrowser_dict->anchorClicked(QUrl("file:///etc/passwd"));
    ASSERT_EQ(platform.opened.size(), 1u);
    EXPECT_EQ(platform.opened[0], server.origin() + "/more?w=1");
}

TEST_F(DictFetch, AMissingPageSaysSo) {
    server.response = TinyServer::reply("404 Not Found", "text/html", "<p>gone</p>");
    QTest::keyClicks(dialog.Edit_word, "word");
    QTest::keyClick(dialog.Edit_word, Qt::Key_Return);
    EXPECT_TRUE(wait_for_view("404"));
    EXPECT_TRUE(view_text().contains("查询失败"));
}

TEST_F(DictFetch, AServerThatNeverAnswersTimesOutWhileTheDialogWorks) {
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);
    look_up("word");
    EXPECT_TRUE(dialog.button_word->isEnabled());
    ASSERT_TRUE(wait_for_view("没有答复"));
    EXPECT_GT(ticks, 3);
    EXPECT_EQ(server.requests.size(), 1);
}

TEST(DictRefused, AServerThatRefusesTheConnectionIsToldInChinese) {
    // A port that was free a moment ago: nothing listens there now.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const std::string origin = "http://127.0.0.1:" + std::to_string(probe.serverPort());
    probe.close();
    testing::RecordingPrompts prompts;
    sys::testing::FakePlatform platform;
    Tfrm_dict dialog{nullptr, prompts, platform, DictOptions{origin, 3000ms}};
    dialog.Edit_word->setText("word");
    dialog.button_word->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return dialog.WebBrowser_dict->toPlainText().contains("服务器拒绝连接"); }, 5000))
        << dialog.WebBrowser_dict->toPlainText().toStdString();
    EXPECT_FALSE(dialog.WebBrowser_dict->toPlainText().contains("refused"));
}

TEST_F(DictFetch, AnEmptyOrBlankWordLooksNothingUp) {
    server.response = TinyServer::reply("200 OK", "text/html", "<p>page</p>");
    look_up("");
    look_up("   ");
    EXPECT_TRUE(dialog.requested().isEmpty());
    EXPECT_TRUE(view_text().isEmpty());
    EXPECT_TRUE(dialog.button_word->isEnabled());
}

TEST(PageFetchLimit, APageTooBigIsRefused) {
    TinyServer server;
    server.response = TinyServer::reply("200 OK", "text/html", QByteArray(8192, 'x'));
    PageFetch fetch(nullptr, 2000ms, 1024);
    QString why;
    bool loaded = false;
    QObject::connect(&fetch, &PageFetch::failed, [&why](const QString& w) { why = w; });
    QObject::connect(&fetch, &PageFetch::loaded, [&loaded] { loaded = true; });
    fetch.start(QUrl(QString::fromStdString(server.origin() + "/big")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fetch.busy(); }, 5000));
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(why.contains("1 KB"));
}

}  // namespace
}  // namespace velmora::tools
