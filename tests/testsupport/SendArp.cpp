#include <arpa/inet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

#include "testsupport/NetNamespace.h"

namespace kestrove::test {
namespace {

using Mac6 = std::array<std::uint8_t, 6>;

std::optional<Mac6> ParseMac(const std::string& text) {
    Mac6 mac{};
    unsigned b[6];
    char s[5];
    if (std::sscanf(text.c_str(), "%2x%c%2x%c%2x%c%2x%c%2x%c%2x", &b[0], &s[0], &b[1], &s[1], &b[2],
                    &s[2], &b[3], &s[3], &b[4], &s[4], &b[5]) != 11) {
        return std::nullopt;
    }
    for (int i = 0; i < 6; ++i) {
        mac[i] = static_cast<std::uint8_t>(b[i]);
    }
    return mac;
}

std::optional<std::array<std::uint8_t, 4>> ParseIp(const std::string& text) {
    std::array<std::uint8_t, 4> ip{};
    if (::inet_pton(AF_INET, text.c_str(), ip.data()) != 1) {
        return std::nullopt;
    }
    return ip;
}

// An Ethernet frame with the ARP packet, padded to the 60-byte minimum.
std::array<std::uint8_t, 60> BuildFrame(int op, const Mac6& destination, const Mac6& sender,
                                        const std::array<std::uint8_t, 4>& senderIp,
                                        const Mac6& target,
                                        const std::array<std::uint8_t, 4>& targetIp) {
    std::array<std::uint8_t, 60> frame{};
    auto* p = frame.data();
    p = std::copy(destination.begin(), destination.end(), p);
    p = std::copy(sender.begin(), sender.end(), p);
    const std::uint8_t header[] = {0x08, 0x06,  // EtherType ARP
                                   0x00, 0x01,  // hardware: Ethernet
                                   0x08, 0x00,  // protocol: IPv4
                                   6,    4,    0x00, static_cast<std::uint8_t>(op)};
    p = std::copy(std::begin(header), std::end(header), p);
    p = std::copy(sender.begin(), sender.end(), p);
    p = std::copy(senderIp.begin(), senderIp.end(), p);
    p = std::copy(target.begin(), target.end(), p);
    std::copy(targetIp.begin(), targetIp.end(), p);
    return frame;
}

}  // namespace

void SendArp(const NetNamespace& ns, const std::string& ifname, int op,
             const std::string& senderMac, const std::string& senderIp,
             const std::string& targetMac, const std::string& targetIp) {
    auto sender = ParseMac(senderMac);
    auto target = ParseMac(targetMac);
    auto from = ParseIp(senderIp);
    auto to = ParseIp(targetIp);
    if (!sender || !target || !from || !to || (op != 1 && op != 2)) {
        ADD_FAILURE() << "SendArp: bad argument";
        return;
    }
    Mac6 destination = *target;
    if (op == 1) {
        destination.fill(0xFF);
    }
    auto frame = BuildFrame(op, destination, *sender, *from, *target, *to);

    ScopedNetnsEnter inside(ns);
    // Protocol 0: this socket only sends and never queues anything it would have to read.
    UniqueFd fd(::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0));
    sockaddr_ll link{};
    link.sll_family = AF_PACKET;
    link.sll_protocol = htons(ETH_P_ARP);
    link.sll_ifindex = static_cast<int>(::if_nametoindex(ifname.c_str()));
    link.sll_halen = 6;
    std::copy(destination.begin(), destination.end(), link.sll_addr);
    if (!fd || link.sll_ifindex == 0 ||
        ::sendto(fd.Get(), frame.data(), frame.size(), 0, reinterpret_cast<sockaddr*>(&link),
                 sizeof link) != static_cast<ssize_t>(frame.size())) {
        ADD_FAILURE() << "SendArp in " << ns.Name() << " on " << ifname << ": "
                      << std::strerror(errno);
    }
}

}  // namespace kestrove::test
