#include "http_test_server.h"

#include "../loopback_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace velmora::update::testing {

namespace {

// Short polls, so every loop notices the server stopping within a moment.
constexpr int poll_ms = 20;

bool readable(int fd) {
    pollfd entry{fd, POLLIN, 0};
    return poll(&entry, 1, poll_ms) > 0;
}

void send_all(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t now = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (now <= 0) return;  // the client gave up, as some tests want it to
        sent += static_cast<std::size_t>(now);
    }
}

// Keeps the connection open without a word until the client leaves or the
// server stops.
void stay_silent_until(int fd, const std::atomic<bool>& stopping) {
    char buffer[256];
    while (!stopping) {
        if (readable(fd) && recv(fd, buffer, sizeof buffer, 0) <= 0) return;
    }
}

std::string path_of(const std::string& head) {
    const std::size_t start = head.find(' ');
    const std::size_t end = head.find(' ', start + 1);
    if (start == std::string::npos || end == std::string::npos) return {};
    return head.substr(start + 1, end - start - 1);
}

}  // namespace

HttpTestServer::HttpTestServer() {
    std::uint16_t port = 0;
    listener_ = velmora::testing::listen_on_loopback(port);
    if (listener_ < 0) throw std::runtime_error("the test server cannot listen");
    port_ = port;
    acceptor_ = std::thread([this] { accept_loop(); });
}

HttpTestServer::~HttpTestServer() {
    {
        // Under the lock, so a held answer waiting on it cannot miss the stop.
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    acceptor_.join();
    for (auto& connection : connections_) connection.join();
    close(listener_);
}

std::string HttpTestServer::answer(int status, const std::string& body, const std::string& type) {
    return "HTTP/1.1 " + std::to_string(status) + " Status\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
           body;
}

void HttpTestServer::route(const std::string& path, Route route) {
    const std::lock_guard lock(mutex_);
    routes_[path] = std::move(route);
}

std::string HttpTestServer::origin() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::string HttpTestServer::url(const std::string& path) const {
    return origin() + path;
}

std::vector<std::string> HttpTestServer::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

bool HttpTestServer::wait_for_request(const std::string& path,
                                      std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        for (const auto& seen : requests_) {
            if (seen == path) return true;
        }
        return false;
    });
}

void HttpTestServer::release() {
    {
        const std::lock_guard lock(mutex_);
        released_ = true;
    }
    changed_.notify_all();
}

bool HttpTestServer::held_answer_sent() const {
    const std::lock_guard lock(mutex_);
    return held_sent_;
}

void HttpTestServer::accept_loop() {
    while (!stopping_) {
        if (!readable(listener_)) continue;
        const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection >= 0) connections_.emplace_back([this, connection] { serve(connection); });
    }
}

bool HttpTestServer::read_head(int connection, std::string& head) const {
    char buffer[4096];
    while (!stopping_ && head.find("\r\n\r\n") == std::string::npos) {
        if (!readable(connection)) continue;
        const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) return false;
        head.append(buffer, static_cast<std::size_t>(got));
    }
    return !stopping_;
}

HttpTestServer::Route HttpTestServer::route_for(const std::string& path) const {
    const auto found = routes_.find(path);
    if (found != routes_.end()) return found->second;
    return {Kind::answer, answer(404, "<html>not here</html>", "text/html")};
}

void HttpTestServer::serve(int connection) {
    std::string head;
    if (read_head(connection, head)) {
        const std::string path = path_of(head);
        Route route;
        {
            const std::lock_guard lock(mutex_);
            requests_.push_back(path);
            route = route_for(path);
        }
        changed_.notify_all();
        if (route.kind == Kind::answer || route.kind == Kind::cut_off)
            send_all(connection, route.bytes);
        if (route.kind == Kind::held) hold_then_send(connection, route.bytes);
        if (route.kind == Kind::silent) stay_silent_until(connection, stopping_);
    }
    close(connection);
}

void HttpTestServer::hold_then_send(int connection, const std::string& bytes) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, hold_limit, [this] { return released_ || stopping_.load(); });
    held_sent_ = true;
    lock.unlock();
    send_all(connection, bytes);
}

}  // namespace velmora::update::testing
