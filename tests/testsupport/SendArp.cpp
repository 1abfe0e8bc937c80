#include <arpa/inet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "testsupport/FakeNetInfo.h"
#include "testsupport/NetNamespace.h"

namespace kestrove::test {
namespace {

// An Ethernet frame with the ARP packet, padded to the 60-byte minimum.
std::array<std::uint8_t, 60> BuildFrame(int op, const MacAddress& destination,
                                        const MacAddress& sender, Ipv4 senderIp,
                                        const MacAddress& target, Ipv4 targetIp) {
    std::array<std::uint8_t, 60> frame{};
    auto* p = frame.data();
    auto mac = [&p](const MacAddress& m) { p = std::copy_n(m.bytes.begin(), 6, p); };
    auto ip = [&p](Ipv4 a) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            *p++ = static_cast<std::uint8_t>(a >> shift);
        }
    };
    mac(destination);
    mac(sender);
    const std::uint8_t header[] = {0x08, 0x06,  // EtherType ARP
                                   0x00, 0x01,  // hardware: Ethernet
                                   0x08, 0x00,  // protocol: IPv4
                                   6,    4,    0x00, static_cast<std::uint8_t>(op)};
    p = std::copy(std::begin(header), std::end(header), p);
    mac(sender);
    ip(senderIp);
    mac(target);
    ip(targetIp);
    return frame;
}

}  // namespace

void SendArp(const NetNamespace& ns, const std::string& ifname, int op,
             const std::string& senderMac, const std::string& senderIp,
             const std::string& targetMac, const std::string& targetIp) {
    MacAddress sender = Mac(senderMac);
    MacAddress target = Mac(targetMac);
    if (sender.length != 6 || target.length != 6 || (op != 1 && op != 2)) {
        ADD_FAILURE() << "SendArp: bad argument";
        return;
    }
    MacAddress destination = op == 1 ? Mac("FF-FF-FF-FF-FF-FF") : target;
    auto frame = BuildFrame(op, destination, sender, Ip(senderIp), target, Ip(targetIp));

    ScopedNetnsEnter inside(ns);
    // Protocol 0: this socket only sends and never queues anything it would have to read.
    UniqueFd fd(::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, 0));
    sockaddr_ll link{};
    link.sll_family = AF_PACKET;
    link.sll_protocol = htons(ETH_P_ARP);
    link.sll_ifindex = static_cast<int>(::if_nametoindex(ifname.c_str()));
    link.sll_halen = 6;
    std::copy_n(destination.bytes.begin(), 6, link.sll_addr);
    if (!fd || link.sll_ifindex == 0 ||
        ::sendto(fd.Get(), frame.data(), frame.size(), 0, reinterpret_cast<sockaddr*>(&link),
                 sizeof link) != static_cast<ssize_t>(frame.size())) {
        ADD_FAILURE() << "SendArp in " << ns.Name() << " on " << ifname << ": "
                      << std::strerror(errno);
    }
}

}  // namespace kestrove::test
