// A listening TCP socket on 127.0.0.1, on a port the system chooses: the
// test web servers never need a free port agreed on in advance.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace velmora::testing {

// The socket, and its port in `port`; -1 when the system refused.
inline int listen_on_loopback(std::uint16_t& port) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener, 16) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener >= 0) close(listener);
        return -1;
    }
    port = ntohs(address.sin_port);
    return listener;
}

}  // namespace velmora::testing
