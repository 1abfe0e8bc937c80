#include "sweeper/windows/WinsockProber.h"

#include <winsock2.h>

namespace kestrove {

WinsockProber::WinsockProber() {
    WSADATA data;
    started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockProber::~WinsockProber() {
    if (started_) {
        ::WSACleanup();
    }
}

bool WinsockProber::Probe(Ipv4 address) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        return false;
    }
    u_long nonBlocking = 1;
    bool ok = ::ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
    if (ok) {
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_port = htons(80);
        target.sin_addr.s_addr = htonl(address);
        // WSAEWOULDBLOCK is the normal answer; anything else (a broadcast address, no route)
        // means nothing went out.
        int result = ::connect(s, reinterpret_cast<const sockaddr*>(&target), sizeof target);
        ok = result == 0 || ::WSAGetLastError() == WSAEWOULDBLOCK;
    }
    ::closesocket(s);
    return ok;
}

}  // namespace kestrove
