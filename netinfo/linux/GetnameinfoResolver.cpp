#include "netinfo/linux/GetnameinfoResolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>

#include "netinfo/BoundedLookup.h"

namespace kestrove {
namespace {

std::optional<std::string> LookUp(Ipv4 address) {
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(address);
    std::array<char, NI_MAXHOST> name{};
    // NI_NAMEREQD: an address without a name is a failure, not its own dotted text.
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in, name.data(), name.size(),
                      nullptr, 0, NI_NAMEREQD) != 0 ||
        name[0] == '\0') {
        return std::nullopt;
    }
    return std::string(name.data());
}

}  // namespace

std::optional<std::string> GetnameinfoResolver::ReverseLookup(Ipv4 address) {
    return LookUpWithin(timeout_, [address] { return LookUp(address); });
}

std::optional<std::string> GetnameinfoResolver::ReverseLookupWithin(
    Ipv4 address, std::chrono::milliseconds limit) {
    return LookUpWithin(std::min(limit, timeout_), [address] { return LookUp(address); });
}

}  // namespace kestrove
