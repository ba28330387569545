// A real CalDAV server for a test: Radicale on 127.0.0.1 at a free port,
// with a storage folder and a password file of its own, ended with the test.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "sys/temp_folder.h"

namespace velmora::testing {

class RadicaleServer {
public:
    // Users "anna" and "ben", passwords "secret-a" and "secret-b".
    RadicaleServer() : port_(free_port()) {
        folder_.write("users", "anna:secret-a\nben:secret-b\n");
        folder_.write("config", "[server]\nhosts = 127.0.0.1:" + std::to_string(port_) +
                                    "\n[auth]\ntype = htpasswd\nhtpasswd_filename = " +
                                    folder_.file("users") +
                                    "\nhtpasswd_encryption = plain\n[rights]\ntype = owner_only\n"
                                    "[storage]\nfilesystem_folder = " +
                                    folder_.file("collections") + "\n[logging]\nlevel = warning\n");
        start();
    }
    ~RadicaleServer() { stop(); }
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    bool running() const { return pid_ > 0; }
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
    }
    void start() {
        pid_ = fork();
        if (pid_ == 0) {
            const std::string config = folder_.file("config");
            execl("/usr/bin/radicale", "radicale", "--config", config.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200 && !answers(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

private:
    static int free_port() {
        const int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        close(probe);
        return ntohs(address.sin_port);
    }
    bool answers() const {
        const int probe = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const bool connected =
            connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(probe);
        return connected;
    }

    TempFolder folder_;
    int port_;
    pid_t pid_ = -1;
};

}  // namespace velmora::testing
