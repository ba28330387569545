// The WebDAV requests through the module, against a real Radicale.
#include <gtest/gtest.h>

#include "sync/dav_client.h"
#include "sync/radicale_server.h"

namespace velmora::sync {
namespace {

const std::string todo_text =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//t//t\r\nBEGIN:VTODO\r\nUID:t1\r\n"
    "DTSTAMP:20261211T000000Z\r\nDUE;VALUE=DATE:20261220\r\nSUMMARY:买年货\r\nEND:VTODO\r\n"
    "END:VCALENDAR\r\n";

class DavClient : public ::testing::Test {
protected:
    DavResponse send(const std::string& method, const std::string& path, std::string body = {},
                     std::vector<std::pair<std::string, std::string>> headers = {},
                     const std::string& password = "secret-a") {
        DavRequest request;
        request.method = method;
        request.url = server.url() + path;
        request.user = "anna";
        request.password = password;
        request.body = std::move(body);
        request.headers = std::move(headers);
        return send_via_module(VELMORA_MODULE_DIR, request);
    }
    testing::RadicaleServer server;
};

TEST_F(DavClient, ACalendarIsMadeFilledListedAndGuardedByItsEtags) {
    ASSERT_TRUE(server.running());
    EXPECT_EQ(send("PROPFIND", "", {}, {{"Depth", "0"}}, "wrong").status, 401);
    ASSERT_EQ(send("MKCALENDAR", "anna/velmora/").status, 201);
    const DavResponse created = send("PUT", "anna/velmora/t1.ics", todo_text,
                                     {{"If-None-Match", "*"}, {"Content-Type", "text/calendar"}});
    ASSERT_EQ(created.status, 201) << created.body;
    EXPECT_FALSE(created.etag.empty());
    EXPECT_EQ(send("PUT", "anna/velmora/t1.ics", todo_text, {{"If-None-Match", "*"}}).status, 412);

    const DavResponse listed =
        send("REPORT", "anna/velmora/",
             "<?xml version=\"1.0\"?><d:sync-collection xmlns:d=\"DAV:\"><d:sync-token/>"
             "<d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop></d:sync-collection>",
             {{"Content-Type", "application/xml"}});
    ASSERT_EQ(listed.status, 207) << listed.body;
    const Multistatus answer = read_multistatus_via_module(VELMORA_MODULE_DIR, listed.body);
    ASSERT_TRUE(answer.refused.empty()) << answer.refused;
    EXPECT_FALSE(answer.sync_token.empty());
    ASSERT_EQ(answer.items.size(), 1u);
    EXPECT_EQ(answer.items[0].href, "/anna/velmora/t1.ics");
    ASSERT_NE(answer.items[0].property("DAV:getetag"), nullptr);
    EXPECT_EQ(*answer.items[0].property("DAV:getetag"), created.etag);

    EXPECT_EQ(send("DELETE", "anna/velmora/t1.ics", {}, {{"If-Match", "\"other\""}}).status, 412);
    EXPECT_EQ(send("DELETE", "anna/velmora/t1.ics", {}, {{"If-Match", created.etag}}).status, 200);
}

TEST_F(DavClient, AServerThatIsGoneIsSaidInChinese) {
    server.stop();
    const DavResponse gone = send("PROPFIND", "");
    EXPECT_EQ(gone.status, 0);
    EXPECT_NE(gone.error.find("无法连接服务器"), std::string::npos) << gone.error;
}

TEST(DavMultistatus, DocumentTypesAndOtherDocumentsAreRefused) {
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><d:multistatus xmlns:d=\"DAV:\"><d:response>"
        "<d:href>&b;</d:href></d:response></d:multistatus>";
    EXPECT_NE(read_multistatus(laughs).refused.find("文档类型"), std::string::npos);
    EXPECT_NE(read_multistatus("<html><body>login</body></html>").refused, "");
    EXPECT_NE(read_multistatus(std::string(100, '<')).refused, "");
    const Multistatus removed = read_multistatus(
        "<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>/c/x.ics</d:href>"
        "<d:status>HTTP/1.1 404 Not Found</d:status></d:response>"
        "<d:sync-token>tok</d:sync-token></d:multistatus>");
    ASSERT_EQ(removed.items.size(), 1u);
    EXPECT_EQ(removed.items[0].status, 404);
    EXPECT_EQ(removed.sync_token, "tok");
}

}  // namespace
}  // namespace velmora::sync
