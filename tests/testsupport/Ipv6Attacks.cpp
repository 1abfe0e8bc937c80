#include "testsupport/Ipv6Attacks.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/icmp6.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <cstring>

#include "netinfo/IpAddress.h"
#include "testsupport/FakeNetInfo.h"

namespace kestrove::test {

using namespace std::chrono_literals;

RouterAdvertiser::RouterAdvertiser(const NetNamespace& ns, const std::string& prefix,
                                   const std::string& dns, const std::string& extra) {
    std::string config =
        "interface veth0 {\n  AdvSendAdvert on;\n  MinRtrAdvInterval 3;\n"
        "  MaxRtrAdvInterval 4;\n  " +
        extra + "\n  prefix " + prefix + " { };\n";
    if (!dns.empty()) {
        config += "  RDNSS " + dns + " { };\n";
    }
    config += "};\n";
    WriteFile(folder_ / "radvd.conf", config);
    radvd_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "ip", "netns", "exec", ns.Name(), "radvd", "-n", "-u", "root", "-C",
        (folder_ / "radvd.conf").string(), "-p", (folder_ / "radvd.pid").string(), "-m", "stderr"});
}

bool RouterAdvertiser::Running() const {
    return radvd_ && radvd_->Started();
}

void SendNeighbourAdvert(const NetNamespace& ns, const std::string& targetIp,
                         const std::string& mac, bool router) {
    IpAddress target;
    MacAddress link = Mac(mac);
    if (!ParseIp(targetIp, target) || !target.IsV6() || link.length != 6) {
        ADD_FAILURE() << "SendNeighbourAdvert: bad argument";
        return;
    }
    // Type 136, code 0, checksum (kernel), flags (R, S, O), target, then the target link-layer
    // address option (type 2, one 8-byte unit).
    std::array<std::uint8_t, 32> packet{};
    packet[0] = ND_NEIGHBOR_ADVERT;
    packet[4] = static_cast<std::uint8_t>(0x20 | (router ? 0x80 : 0));  // override (+ router)
    std::memcpy(packet.data() + 8, target.bytes.data(), 16);
    packet[24] = ND_OPT_TARGET_LINKADDR;
    packet[25] = 1;
    std::memcpy(packet.data() + 26, link.bytes.data(), 6);

    WaitForIpv6Addresses(ns);
    ScopedNetnsEnter inside(ns);
    UniqueFd fd(::socket(AF_INET6, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMPV6));
    if (!fd) {
        ADD_FAILURE() << "SendNeighbourAdvert: no raw socket: " << std::strerror(errno);
        return;
    }
    // Neighbour discovery is only believed from hop limit 255 (never forwarded).
    int hops = 255;
    unsigned index = ::if_nametoindex("veth0");
    ::setsockopt(fd.Get(), IPPROTO_IPV6, IPV6_MULTICAST_HOPS, &hops, sizeof hops);
    ::setsockopt(fd.Get(), IPPROTO_IPV6, IPV6_UNICAST_HOPS, &hops, sizeof hops);
    ::setsockopt(fd.Get(), IPPROTO_IPV6, IPV6_MULTICAST_IF, &index, sizeof index);
    sockaddr_in6 allNodes{};
    allNodes.sin6_family = AF_INET6;
    allNodes.sin6_scope_id = index;
    ::inet_pton(AF_INET6, "ff02::1", &allNodes.sin6_addr);
    if (::sendto(fd.Get(), packet.data(), packet.size(), 0,
                 reinterpret_cast<const sockaddr*>(&allNodes), sizeof allNodes) < 0) {
        ADD_FAILURE() << "SendNeighbourAdvert: " << std::strerror(errno);
    }
}

bool WaitForIpv6Addresses(const NetNamespace& ns) {
    return WaitFor([&] { return ns.ExecOutput("ip -6 addr show dev veth0 tentative").empty(); },
                   5s);
}

void AcceptRouterAdverts(const NetNamespace& ns, int acceptRa) {
    ns.Exec("sysctl -qw net.ipv6.conf.veth0.accept_ra=" + std::to_string(acceptRa));
}

}  // namespace kestrove::test
