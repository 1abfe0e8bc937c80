#include "testsupport/SocketCalls.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace kestrove::test::socketcalls {

Handle OpenLoopback(int backlog, int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return kNone;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        (backlog > 0 && ::listen(fd, backlog) != 0) ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return kNone;
    }
    port = ntohs(addr.sin_port);
    return fd;
}

bool WaitReadable(Handle socket, std::chrono::milliseconds timeout) {
    pollfd fd{static_cast<int>(socket), POLLIN, 0};
    int rc = 0;
    do {
        rc = ::poll(&fd, 1, static_cast<int>(timeout.count()));
    } while (rc < 0 && errno == EINTR);
    return rc > 0;
}

Handle Accept(Handle listener) {
    int fd = ::accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    return fd < 0 ? kNone : fd;
}

long Receive(Handle socket, char* buffer, std::size_t size) {
    ssize_t n = 0;
    do {
        n = ::recv(static_cast<int>(socket), buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    return static_cast<long>(n);
}

void ShutdownSending(Handle socket) {
    ::shutdown(static_cast<int>(socket), SHUT_WR);
}

void Close(Handle socket) {
    ::close(static_cast<int>(socket));
}

}  // namespace kestrove::test::socketcalls
