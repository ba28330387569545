// A minimal HTTP/1.0 file server for the end-to-end tests: serves the files
// below one folder on 127.0.0.1, writes the port it got into a file, and
// prints each request's path. It answers 404 for anything it cannot serve,
// and never answers a path below "/hold/": a download that stays under way.
// Each connection is served on a thread of its own.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "../loopback_listener.h"

namespace {

std::string read_request(int client) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const ssize_t got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    return request;
}

void send_all(int client, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(client, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
    }
}

std::string answer(const std::string& root, const std::string& request) {
    std::istringstream line(request);
    std::string method, path;
    line >> method >> path;
    std::printf("%s %s\n", method.c_str(), path.c_str());
    std::fflush(stdout);
    std::ifstream file;
    if (method == "GET" && path.starts_with("/") && path.find("..") == std::string::npos) {
        file.open(root + path, std::ios::binary);
    }
    if (!file) return "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
    std::ostringstream body;
    body << file.rdbuf();
    // A browser shows an HTML page only when told it is one.
    const char* type = path.ends_with(".html") ? "text/html" : "application/octet-stream";
    return "HTTP/1.0 200 OK\r\nContent-Type: " + std::string(type) +
           "\r\nContent-Length: " + std::to_string(body.str().size()) + "\r\n\r\n" + body.str();
}

// A held download keeps its socket open for good.
void serve(int client, const std::string& root) {
    const std::string request = read_request(client);
    if (request.starts_with("GET /hold/")) {
        std::printf("held %s\n", request.substr(0, request.find('\r')).c_str());
        std::fflush(stdout);
        return;
    }
    send_all(client, answer(root, request));
    close(client);
}

int listen_on_loopback(const char* port_file) {
    std::uint16_t port = 0;
    const int server = velmora::testing::listen_on_loopback(port);
    if (server < 0) {
        std::perror("http_file_server");
        return -1;
    }
    std::ofstream(port_file) << port << "\n";
    return server;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: http_file_server ROOT PORT_FILE\n");
        return 2;
    }
    const int server = listen_on_loopback(argv[2]);
    if (server < 0) return 1;
    const std::string root = argv[1];
    for (;;) {
        const int client = accept(server, nullptr, nullptr);
        if (client < 0) continue;
        // Each connection on a thread of its own: a browser opens connections
        // ahead of its requests, and one that never asks must not hold up the rest.
        std::thread([client, &root] { serve(client, root); }).detach();
    }
}
