#include "netinfo/windows/WinsockResolver.h"

// clang-format off: winsock2.h must come before ws2tcpip.h
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include <array>

#include "common/Utf8Path.h"

namespace kestrove {

WinsockResolver::WinsockResolver() {
    WSADATA data;
    started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

WinsockResolver::~WinsockResolver() {
    if (started_) {
        ::WSACleanup();
    }
}

std::optional<std::string> WinsockResolver::ReverseLookup(Ipv4 address) {
    if (!started_) {
        return std::nullopt;
    }
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(address);
    std::array<wchar_t, NI_MAXHOST> name{};
    // NI_NAMEREQD: an address without a name is a failure, not its own dotted text.
    if (::GetNameInfoW(reinterpret_cast<const sockaddr*>(&in), sizeof in, name.data(),
                       static_cast<DWORD>(name.size()), nullptr, 0, NI_NAMEREQD) != 0 ||
        name[0] == L'\0') {
        return std::nullopt;
    }
    return PathToUtf8(std::filesystem::path(name.data()));
}

}  // namespace kestrove
