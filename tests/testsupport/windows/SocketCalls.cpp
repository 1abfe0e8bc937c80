#include "testsupport/SocketCalls.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace kestrove::test::socketcalls {
namespace {

// Winsock wants one start per process before the first socket; the tests never stop it.
bool WinsockStarted() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

SOCKET Native(Handle socket) {
    return static_cast<SOCKET>(socket);
}

}  // namespace

Handle OpenLoopback(int backlog, int& port) {
    if (!WinsockStarted()) {
        return kNone;
    }
    SOCKET s =
        ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (s == INVALID_SOCKET) {
        return kNone;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof addr;
    if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        (backlog > 0 && ::listen(s, backlog) != 0) ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::closesocket(s);
        return kNone;
    }
    port = ntohs(addr.sin_port);
    return static_cast<Handle>(s);
}

bool WaitReadable(Handle socket, std::chrono::milliseconds timeout) {
    WSAPOLLFD fd{Native(socket), POLLRDNORM, 0};
    return ::WSAPoll(&fd, 1, static_cast<int>(timeout.count())) > 0;
}

Handle Accept(Handle listener) {
    SOCKET s = ::accept(Native(listener), nullptr, nullptr);
    return s == INVALID_SOCKET ? kNone : static_cast<Handle>(s);
}

long Receive(Handle socket, char* buffer, std::size_t size) {
    return ::recv(Native(socket), buffer, static_cast<int>(size), 0);
}

void ShutdownSending(Handle socket) {
    ::shutdown(Native(socket), SD_SEND);
}

void Close(Handle socket) {
    ::closesocket(Native(socket));
}

}  // namespace kestrove::test::socketcalls
