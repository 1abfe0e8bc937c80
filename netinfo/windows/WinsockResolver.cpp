#include "netinfo/windows/WinsockResolver.h"

// clang-format off: winsock2.h must come before ws2tcpip.h
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include <algorithm>
#include <array>

#include "common/Utf8Path.h"
#include "netinfo/BoundedLookup.h"

namespace kestrove {
namespace {

// Winsock is started and stopped by the worker itself (the count is per process), so a worker
// that answers after the resolver is gone still has it.
class WinsockUse {
public:
    WinsockUse() {
        WSADATA data;
        started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockUse() {
        if (started_) {
            ::WSACleanup();
        }
    }
    WinsockUse(const WinsockUse&) = delete;
    WinsockUse& operator=(const WinsockUse&) = delete;

    bool Started() const { return started_; }

private:
    bool started_ = false;
};

std::optional<std::string> LookUp(Ipv4 address) {
    WinsockUse winsock;
    if (!winsock.Started()) {
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

}  // namespace

std::optional<std::string> WinsockResolver::ReverseLookup(Ipv4 address) {
    return LookUpWithin(timeout_, [address] { return LookUp(address); });
}

std::optional<std::string> WinsockResolver::ReverseLookupWithin(Ipv4 address,
                                                                std::chrono::milliseconds limit) {
    return LookUpWithin(std::min(limit, timeout_), [address] { return LookUp(address); });
}

}  // namespace kestrove
