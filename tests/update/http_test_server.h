// A small HTTP/1.1 server on 127.0.0.1 for the download tests: one answer
// per path, scripted by the test, each connection on a thread of its own.
// Besides plain answers it can cut an answer off, stay silent, or hold an
// answer back until the test releases it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmora::update::testing {

class HttpTestServer {
public:
    enum class Kind {
        answer,   // sends `bytes`, then closes
        cut_off,  // sends `bytes` (part of an answer), then closes
        silent,   // reads the request and never answers
        held,     // sends `bytes` once released (or after `hold_limit`)
    };
    struct Route {
        Kind kind = Kind::answer;
        std::string bytes;
    };

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // A whole answer with Content-Length and "Connection: close".
    static std::string answer(int status, const std::string& body,
                              const std::string& type = "text/plain");

    // Paths without a route are answered 404.
    void route(const std::string& path, Route route);
    std::string url(const std::string& path) const;
    std::string origin() const;

    // The paths asked for, in the order the requests arrived.
    std::vector<std::string> requests() const;
    bool wait_for_request(const std::string& path, std::chrono::milliseconds timeout) const;
    // Held answers go out now; until then none has been sent.
    void release();
    bool held_answer_sent() const;

    std::chrono::milliseconds hold_limit{5000};

private:
    void accept_loop();
    void serve(int connection);
    void hold_then_send(int connection, const std::string& bytes);
    bool read_head(int connection, std::string& head) const;
    Route route_for(const std::string& path) const;

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::map<std::string, Route> routes_;
    std::vector<std::string> requests_;
    bool released_ = false;
    bool held_sent_ = false;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

}  // namespace velmora::update::testing
