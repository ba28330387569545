// The open pages of a real Chromium: started headless, with a user-data
// folder of its own inside a fresh home folder, on two pages of a local web
// server. While it runs, its session folder and History are read as the
// capture reads them; once it has ended, nothing is offered, although its
// session files stay.
#include <gmock/gmock.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "../../sys/temp_folder.h"
#include "bookmarks/sessions/browser_sessions.h"
#include "session_writers.h"

namespace {

using namespace velmora::bookmarks;
using ::testing::ElementsAre;
using velmora::testing::TempFolder;
namespace fs = std::filesystem;
using std::chrono::steady_clock;

constexpr const char* chromium = "/usr/bin/chromium";

// A program in a process group of its own, its output in `log`, HOME set
// to `home` when one is given; the group is ended with the object.
class Program {
public:
    Program(const std::vector<std::string>& arguments, const fs::path& log,
            const fs::path& home = {}) {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            if (!home.empty()) ::setenv("HOME", home.c_str(), 1);
            if (std::freopen(log.c_str(), "w", stdout) == nullptr ||
                ::dup2(::fileno(stdout), STDERR_FILENO) < 0) {
                ::_exit(126);
            }
            std::vector<char*> argv;
            for (const std::string& argument : arguments) {
                argv.push_back(const_cast<char*>(argument.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::setpgid(pid_, pid_);  // also here: no race with the first kill
    }
    ~Program() { end(); }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // SIGTERM, as a logout sends it; what is left after five seconds is killed.
    void end() {
        if (pid_ <= 0) return;
        ::kill(-pid_, SIGTERM);
        const auto deadline = steady_clock::now() + std::chrono::seconds(5);
        while (::waitpid(pid_, nullptr, WNOHANG) == 0 && steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
};

// Asks `read` again until it answers what `done` accepts or time is up;
// the last answer.
template <typename Read, typename Done>
auto poll(Read read, Done done, std::chrono::seconds limit) {
    const auto deadline = steady_clock::now() + limit;
    auto answer = read();
    while (!done(answer) && steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        answer = read();
    }
    return answer;
}

TEST(RealChromium, ItsOpenPagesWithTheirTitlesWhileItRunsAndNoneAfter) {
    if (::access(chromium, X_OK) != 0) GTEST_SKIP() << chromium << " is not installed";
    TempFolder folder;
    // Without a charset the pages would be read as Windows-1252.
    folder.write("site/a.html",
                 "<!doctype html><meta charset=utf-8><title>第一页 A</title>"
                 "<p>a<script>window.open('b.html')</script>");
    folder.write("site/b.html", "<!doctype html><meta charset=utf-8><title>B | 二</title><p>b");
    Program server({HTTP_FILE_SERVER, folder.file("site"), folder.file("port")},
                   folder.path() / "server.log");
    const std::string port =
        poll([&] { return folder.read("port"); },
             [](const std::string& text) { return text.ends_with('\n'); }, std::chrono::seconds(5));
    ASSERT_FALSE(port.empty()) << "the web server did not start";
    const std::string site = "http://127.0.0.1:" + port.substr(0, port.find('\n')) + "/";
    const fs::path home = folder.path() / "home";
    Program browser({chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--disable-popup-blocking",
                     "--user-data-dir=" + (home / ".config/chromium").string(), site + "a.html"},
                    folder.path() / "chromium.log", home);

    // The session comes within seconds, History's titles within its commit
    // interval of ten.
    const auto open_pages = [&] { return open_browser_pages(home.string()); };
    const auto titled = [](const std::vector<OpenPage>& pages) {
        return pages.size() == 2 && !pages[0].title.empty() && !pages[1].title.empty();
    };
    EXPECT_THAT(
        poll(open_pages, titled, std::chrono::seconds(25)),
        ElementsAre(OpenPage{"第一页 A", site + "a.html"}, OpenPage{"B | 二", site + "b.html"}))
        << folder.read("chromium.log") << folder.read("server.log");
    const std::vector<SessionFile> files = session_files(home.string());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(fs::path(files[0].path).parent_path(), home / ".config/chromium/Default/Sessions");

    browser.end();
    EXPECT_THAT(open_browser_pages(home.string()), ::testing::IsEmpty());
    EXPECT_EQ(read_session_file(files[0])->size(), 2u);
}

}  // namespace
