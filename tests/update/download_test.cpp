// The download of the remote settings against a small HTTP server of the
// test's own on 127.0.0.1. The download thread loads the real client module
// from the folder of this test program, as the program does from its own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <thread>

#include "sys/atomicfile.h"
#include "update/autoupdate.h"
#include "update/http_fetch.h"
#include "update/http_test_server.h"

namespace velmora::update {
namespace {

using namespace std::chrono_literals;
using testing::HttpTestServer;
namespace fs = std::filesystem;

constexpr const char* primary_path = "/primary/download/zenqrset.rar";
constexpr const char* fallback_path = "/download/zenqrset.rar";

// GBK text and CRLF line ends: the bytes must arrive exactly as served.
const std::string fresh_settings =
    "[interface]\r\nlastver2=2012.A\r\nupdateurl=http://example.invalid/download/\r\n"
    "[ad]\r\ntime=5000\r\ncount=1\r\n1=\xd0\xc2\xb0\xe6\xb1\xbe|http://example.invalid/\r\n";
const std::string other_settings = "[ad]\r\ntime=3000\r\ncount=0\r\n";
const std::string old_settings = "[interface]\r\nlastver2=2011.O\r\n";
const std::string error_page = "<html><body>Please sign in to the network</body></html>";

// Remote settings of exactly `size` bytes: one section, then comment lines.
std::string settings_of_size(std::size_t size) {
    std::string body = "[ad]\r\ncount=0\r\n";
    while (body.size() + 66 <= size) body += ";" + std::string(63, 'x') + "\r\n";
    body += std::string(size - body.size(), ';');
    return body;
}

fs::path make_temp_folder() {
    std::string pattern = (fs::temp_directory_path() / "velmora-download-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
    return pattern;
}

TEST(DownloadJob, JoinsTheAddressesAndTheTarget) {
    const DownloadJob job =
        make_download_job("http://dl.example/download/", "http://www.example", "/opt/v/");
    EXPECT_EQ(job.primary_url, "http://dl.example/download/zenqrset.rar");
    EXPECT_EQ(job.fallback_url, "http://www.example/download/zenqrset.rar");
    EXPECT_EQ(job.target_path, "/opt/v/zenqrset.kxi");
    EXPECT_EQ(job.connect_timeout, 10s);
    EXPECT_EQ(job.total_timeout, 60s);

    // A base that lost its final "/" and a site given with one.
    const DownloadJob loose =
        make_download_job("http://dl.example/files", "http://www.example/", "");
    EXPECT_EQ(loose.primary_url, "http://dl.example/files/zenqrset.rar");
    EXPECT_EQ(loose.fallback_url, "http://www.example/download/zenqrset.rar");
}

// A stand-in for the holiday file's own check: the worker only has to ask
// the validator it was given.
bool holiday_like(std::string_view body) {
    return body.find("\t\xe4\xbc\x91\t") != std::string_view::npos;  // "\t休\t"
}
constexpr const char* primary_holiday_path = "/primary/download/zenqholiday.txt";
constexpr const char* fallback_holiday_path = "/download/zenqholiday.txt";
const std::string fresh_holidays = "# UTF-8\n2025-01-28\t\xe4\xbc\x91\t\xe6\x98\xa5\xe8\x8a\x82\n";
const std::string old_holidays = "# UTF-8\n2024-02-10\t\xe4\xbc\x91\t\xe6\x98\xa5\xe8\x8a\x82\n";

TEST(DownloadJob, ExtraFilesComeFromTheFoldersOfBothAddresses) {
    DownloadJob job =
        make_download_job("http://dl.example/files", "http://www.example/", "/opt/v/");
    add_extra_download(job, "zenqholiday.txt", "/opt/v/zenqholiday.txt", 4096, holiday_like);
    ASSERT_EQ(job.extra_files.size(), 1u);
    EXPECT_EQ(job.extra_files[0].primary_url, "http://dl.example/files/zenqholiday.txt");
    EXPECT_EQ(job.extra_files[0].fallback_url, "http://www.example/download/zenqholiday.txt");
    EXPECT_EQ(job.extra_files[0].target_path, "/opt/v/zenqholiday.txt");
    EXPECT_EQ(job.extra_files[0].max_bytes, 4096u);
}

TEST(DownloadJob, TakesOnlyBodiesThatAreRemoteSettings) {
    EXPECT_TRUE(is_remote_settings(fresh_settings));
    EXPECT_TRUE(is_remote_settings(other_settings));
    EXPECT_TRUE(is_remote_settings("[Interface]\nhttp=x\n"));
    EXPECT_FALSE(is_remote_settings(error_page));
    EXPECT_FALSE(is_remote_settings(""));
    EXPECT_FALSE(is_remote_settings("[other]\r\nkey=1\r\n"));
    EXPECT_TRUE(is_remote_settings(settings_of_size(remote_settings_limit)));
    EXPECT_FALSE(is_remote_settings(settings_of_size(remote_settings_limit + 1)));
}

// The client itself, linked into this test directly.
class HttpGet : public ::testing::Test {
protected:
    HttpTestServer server;

    FetchResult get(const std::string& path, std::size_t max_bytes = remote_settings_limit) {
        FetchRequest request;
        request.url = server.url(path);
        request.connect_timeout = 2s;
        request.total_timeout = 5s;
        request.max_bytes = max_bytes;
        return http_get(request);
    }
};

TEST_F(HttpGet, AnswersTheBodyOfA2xxAnswerOnly) {
    server.route("/ok",
                 {HttpTestServer::Kind::answer, HttpTestServer::answer(200, fresh_settings)});
    server.route("/gone", {HttpTestServer::Kind::answer, HttpTestServer::answer(404, error_page)});
    server.route("/broken", {HttpTestServer::Kind::answer, HttpTestServer::answer(500, "")});
    server.route("/moved", {HttpTestServer::Kind::answer,
                            "HTTP/1.1 304 Not Modified\r\nConnection: close\r\n\r\n"});

    const FetchResult ok = get("/ok");
    EXPECT_EQ(ok.status, FetchStatus::ok);
    EXPECT_EQ(ok.body, fresh_settings);
    for (const char* path : {"/gone", "/broken", "/moved"}) {
        const FetchResult failed = get(path);
        EXPECT_EQ(failed.status, FetchStatus::http_error) << path;
        EXPECT_TRUE(failed.body.empty()) << path;
    }
}

TEST_F(HttpGet, FollowsRedirectsOverHttpOnly) {
    const std::string to_ok = "HTTP/1.1 302 Found\r\nLocation: /ok\r\nContent-Length: 0\r\n\r\n";
    const std::string to_file =
        "HTTP/1.1 302 Found\r\nLocation: file:///etc/hostname\r\nContent-Length: 0\r\n\r\n";
    const std::string to_self =
        "HTTP/1.1 302 Found\r\nLocation: /loop\r\nContent-Length: 0\r\n\r\n";
    server.route("/ok",
                 {HttpTestServer::Kind::answer, HttpTestServer::answer(200, other_settings)});
    server.route("/to-ok", {HttpTestServer::Kind::answer, to_ok});
    server.route("/to-file", {HttpTestServer::Kind::answer, to_file});
    server.route("/loop", {HttpTestServer::Kind::answer, to_self});

    const FetchResult redirected = get("/to-ok");
    EXPECT_EQ(redirected.status, FetchStatus::ok);
    EXPECT_EQ(redirected.body, other_settings);
    EXPECT_EQ(get("/to-file").status, FetchStatus::transport_error);
    EXPECT_NE(get("/loop").status, FetchStatus::ok);
}

TEST_F(HttpGet, StopsAtTheSizeLimitWhateverTheServerAnnounced) {
    const std::string body(2000, 'x');
    // Announced honestly, announced falsely small, and not announced at all.
    const std::string honest = HttpTestServer::answer(200, body);
    const std::string unannounced = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body;
    server.route("/honest", {HttpTestServer::Kind::answer, honest});
    server.route("/unannounced", {HttpTestServer::Kind::cut_off, unannounced});

    EXPECT_EQ(get("/honest", 1999).status, FetchStatus::too_large);
    EXPECT_EQ(get("/unannounced", 1999).status, FetchStatus::too_large);
    EXPECT_EQ(get("/honest", 2000).status, FetchStatus::ok);
    EXPECT_EQ(get("/unannounced", 2000).body, body);
}

TEST_F(HttpGet, TreatsABodyCutOffAsAFailure) {
    const std::string whole = HttpTestServer::answer(200, fresh_settings);
    server.route("/cut", {HttpTestServer::Kind::cut_off, whole.substr(0, whole.size() - 10)});
    const FetchResult result = get("/cut");
    EXPECT_EQ(result.status, FetchStatus::transport_error);
    EXPECT_TRUE(result.body.empty());
}

TEST_F(HttpGet, EndsATransferWhenAskedTo) {
    server.route("/slow", {HttpTestServer::Kind::silent, {}});
    FetchRequest request;
    request.url = server.url("/slow");
    request.cancelled = [] { return true; };
    // With the default time-outs only the request to stop ends this.
    EXPECT_EQ(http_get(request).status, FetchStatus::cancelled);
}

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::set<std::string> entries(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// Waits for every download worker of this process to end.
bool all_downloads_ended() {
    for (int i = 0; i < 500 && download_in_progress(); ++i) std::this_thread::sleep_for(10ms);
    return !download_in_progress();
}

// The program folder holds an older copy of the remote settings.
class DownloadThread : public ::testing::Test {
protected:
    HttpTestServer server;
    fs::path folder = make_temp_folder();
    fs::path target = folder / "zenqrset.kxi";

    void SetUp() override { ASSERT_TRUE(sys::write_file_atomic(target.string(), old_settings)); }
    void TearDown() override {
        chmod(folder.c_str(), 0700);
        fs::remove_all(folder);
    }

    DownloadJob job() const {
        return make_download_job(server.url("/primary/download/"), server.origin(),
                                 folder.string() + "/");
    }
    void serve(const char* path, int status, const std::string& body) {
        server.route(path, {HttpTestServer::Kind::answer, HttpTestServer::answer(status, body)});
    }
    static void run(const DownloadJob& job) {
        TautoupdateThread thread(job);
        thread.start();
        ASSERT_TRUE(thread.wait_for_finish(10s));
        EXPECT_FALSE(download_in_progress());
    }
    void expect_requests(const std::vector<std::string>& paths) const {
        EXPECT_EQ(server.requests(), paths);
    }
    // The old copy byte for byte, and nothing left beside it.
    void expect_old_file_kept() const {
        EXPECT_EQ(contents(target), old_settings);
        EXPECT_EQ(entries(folder), std::set<std::string>{"zenqrset.kxi"});
    }
};

TEST_F(DownloadThread, ReplacesTheFileWithThePrimaryCopy) {
    serve(primary_path, 200, fresh_settings);
    serve(fallback_path, 200, other_settings);
    run(job());
    EXPECT_EQ(contents(target), fresh_settings);
    EXPECT_EQ(entries(folder), std::set<std::string>{"zenqrset.kxi"});
    expect_requests({primary_path});
}

TEST_F(DownloadThread, CreatesTheFileOnAFirstStart) {
    fs::remove(target);
    serve(primary_path, 200, fresh_settings);
    run(job());
    EXPECT_EQ(contents(target), fresh_settings);
}

TEST_F(DownloadThread, TakesTheFallbackWhenThePrimaryAnswersAnError) {
    serve(primary_path, 404, error_page);
    serve(fallback_path, 200, other_settings);
    run(job());
    EXPECT_EQ(contents(target), other_settings);
    expect_requests({primary_path, fallback_path});
}

TEST_F(DownloadThread, KeepsTheOldFileWhenBothAddressesFail) {
    serve(primary_path, 404, error_page);
    serve(fallback_path, 503, error_page);
    run(job());
    expect_old_file_kept();
    expect_requests({primary_path, fallback_path});
}

TEST_F(DownloadThread, WritesNothingForABodyCutOffMidWay) {
    const std::string whole = HttpTestServer::answer(200, fresh_settings);
    const std::string half = whole.substr(0, whole.size() - fresh_settings.size() / 2);
    server.route(primary_path, {HttpTestServer::Kind::cut_off, half});
    server.route(fallback_path, {HttpTestServer::Kind::cut_off, half});
    run(job());
    expect_old_file_kept();
    expect_requests({primary_path, fallback_path});
}

TEST_F(DownloadThread, DoesNotStoreAPageThatIsNoSettingsFile) {
    serve(primary_path, 200, error_page);
    serve(fallback_path, 200, "");
    run(job());
    expect_old_file_kept();
    expect_requests({primary_path, fallback_path});
}

TEST_F(DownloadThread, DoesNotStoreABodyOverOneMebibyte) {
    const std::string too_large = settings_of_size(remote_settings_limit + 1);
    serve(primary_path, 200, too_large);
    server.route(fallback_path, {HttpTestServer::Kind::cut_off,
                                 "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + too_large});
    run(job());
    expect_old_file_kept();
    expect_requests({primary_path, fallback_path});
}

// A folder that refuses writes. The tests may run as root, for whom the
// folder's mode means nothing; then a folder standing at the target's name
// refuses the final rename instead, which fails the write at the same step.
TEST_F(DownloadThread, TriesBothAddressesAndWritesNothingWhereWritingFails) {
    serve(primary_path, 200, fresh_settings);
    serve(fallback_path, 200, other_settings);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    const bool mode_holds = access(folder.c_str(), W_OK) != 0;
    if (!mode_holds) {
        fs::remove(target);
        fs::create_directory(target);
    }
    run(job());
    expect_requests({primary_path, fallback_path});
    if (mode_holds) {
        expect_old_file_kept();
    } else {
        EXPECT_TRUE(fs::is_directory(target));
        EXPECT_TRUE(fs::is_empty(target));
        EXPECT_EQ(entries(folder), std::set<std::string>{"zenqrset.kxi"});
    }
}

TEST_F(DownloadThread, GivesUpOnAServerThatNeverAnswers) {
    server.route(primary_path, {HttpTestServer::Kind::silent, {}});
    server.route(fallback_path, {HttpTestServer::Kind::silent, {}});
    DownloadJob quick = job();
    quick.connect_timeout = 200ms;
    quick.total_timeout = 300ms;
    run(quick);
    expect_old_file_kept();
    expect_requests({primary_path, fallback_path});
}

TEST_F(DownloadThread, StartReturnsBeforeTheServerAnswers) {
    server.route(primary_path,
                 {HttpTestServer::Kind::held, HttpTestServer::answer(200, fresh_settings)});
    TautoupdateThread thread(job());
    thread.start();
    // Had start() waited for the download, the held answer would have gone
    // out (at the latest after the server's hold limit) before this point.
    EXPECT_FALSE(server.held_answer_sent());
    EXPECT_TRUE(download_in_progress());
    server.release();
    ASSERT_TRUE(thread.wait_for_finish(10s));
    EXPECT_TRUE(server.held_answer_sent());
    EXPECT_EQ(contents(target), fresh_settings);
}

TEST_F(DownloadThread, WritesNothingOnceItsOwnerIsGone) {
    server.route(primary_path,
                 {HttpTestServer::Kind::held, HttpTestServer::answer(200, fresh_settings)});
    serve(fallback_path, 200, other_settings);
    auto owner = std::make_unique<TautoupdateThread>(job());
    owner->start();
    ASSERT_TRUE(server.wait_for_request(primary_path, 5s));
    owner.reset();
    // The whole answer arrives after the owner went away.
    server.release();
    ASSERT_TRUE(all_downloads_ended());
    expect_old_file_kept();
    expect_requests({primary_path});
}

TEST_F(DownloadThread, GoesOnQuietlyWithoutTheClientModule) {
    serve(primary_path, 200, fresh_settings);
    DownloadJob without = job();
    const fs::path empty = make_temp_folder();
    without.module_folder = empty.string() + "/";
    run(without);
    fs::remove_all(empty);
    expect_old_file_kept();
    expect_requests({});
}

// The holiday file beside the remote settings: an older copy is in place.
class HolidayDownload : public DownloadThread {
protected:
    fs::path holidays = folder / "zenqholiday.txt";

    void SetUp() override {
        DownloadThread::SetUp();
        ASSERT_TRUE(sys::write_file_atomic(holidays.string(), old_holidays));
    }
    DownloadJob job() const {
        DownloadJob both = DownloadThread::job();
        add_extra_download(both, "zenqholiday.txt", holidays.string(), 4096, holiday_like);
        return both;
    }
};

TEST_F(HolidayDownload, AValidCopyReplacesTheOldFile) {
    serve(primary_path, 200, fresh_settings);
    serve(primary_holiday_path, 200, fresh_holidays);
    run(job());
    EXPECT_EQ(contents(target), fresh_settings);
    EXPECT_EQ(contents(holidays), fresh_holidays);
    EXPECT_EQ(entries(folder), (std::set<std::string>{"zenqholiday.txt", "zenqrset.kxi"}));
    expect_requests({primary_path, primary_holiday_path});
}

// A damaged copy (an error page, a wrong file, one too large) never
// replaces the old one; a good fallback does.
TEST_F(HolidayDownload, ADamagedCopyKeepsTheOldFile) {
    serve(primary_path, 200, fresh_settings);
    serve(primary_holiday_path, 200, error_page);
    serve(fallback_holiday_path, 200, fresh_holidays + std::string(5000, '#'));
    run(job());
    EXPECT_EQ(contents(target), fresh_settings);
    EXPECT_EQ(contents(holidays), old_holidays);
    EXPECT_EQ(entries(folder), (std::set<std::string>{"zenqholiday.txt", "zenqrset.kxi"}));
    expect_requests({primary_path, primary_holiday_path, fallback_holiday_path});

    serve(fallback_holiday_path, 200, fresh_holidays);
    run(job());
    EXPECT_EQ(contents(holidays), fresh_holidays);
}

// The settings' failure does not stop the holiday file, nor the other way.
TEST_F(HolidayDownload, EachFileHasItsOwnFallback) {
    serve(primary_path, 404, error_page);
    serve(fallback_path, 503, error_page);
    serve(primary_holiday_path, 404, error_page);
    serve(fallback_holiday_path, 200, fresh_holidays);
    run(job());
    EXPECT_EQ(contents(target), old_settings);
    EXPECT_EQ(contents(holidays), fresh_holidays);
    expect_requests({primary_path, fallback_path, primary_holiday_path, fallback_holiday_path});
}

}  // namespace
}  // namespace velmora::update
