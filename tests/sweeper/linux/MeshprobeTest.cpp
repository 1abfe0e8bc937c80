// The real program in a LAN of network namespaces: it never runs outside them.

#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "netinfo/linux/UniqueFd.h"
#include "testsupport/ChildProcess.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;
using ::testing::HasSubstr;

// Meshprobe started inside `ns` (ip netns exec replaces itself with the program, so the pid is
// Meshprobe's), with its lock in a folder of the test's own. Killed if the test ends early.
std::unique_ptr<test::ChildProcess> StartSweeper(const test::NetNamespace& ns,
                                                 const std::filesystem::path& runtimeDir) {
    const char* bin = std::getenv("KESTROVE_BIN_DIR");
    std::string program =
        (std::filesystem::path(bin != nullptr ? bin : "bin") / "Meshprobe").string();
    return std::make_unique<test::ChildProcess>(
        std::vector<std::string>{"ip", "netns", "exec", ns.Name(), program},
        std::vector<std::string>{"XDG_RUNTIME_DIR=" + runtimeDir.string()});
}

// A host of the LAN: a web port that listens, and a capture of what arrives on its veth0.
class ListeningHost {
public:
    ListeningHost(const test::NetNamespace& ns, std::string ip) : ip_(std::move(ip)) {
        test::ScopedNetnsEnter inside(ns);
        listener_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        int one = 1;
        ::setsockopt(listener_.Get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_port = htons(80);
        EXPECT_EQ(::bind(listener_.Get(), reinterpret_cast<sockaddr*>(&any), sizeof any), 0);
        EXPECT_EQ(::listen(listener_.Get(), 16), 0);

        capture_.Reset(
            ::socket(AF_PACKET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, htons(ETH_P_IP)));
        sockaddr_ll link{};
        link.sll_family = AF_PACKET;
        link.sll_protocol = htons(ETH_P_IP);
        link.sll_ifindex = static_cast<int>(::if_nametoindex("veth0"));
        EXPECT_EQ(::bind(capture_.Get(), reinterpret_cast<sockaddr*>(&link), sizeof link), 0);
    }

    int CaptureFd() const { return capture_.Get(); }
    const std::string& Address() const { return ip_; }

    // True when a connection attempt (TCP SYN) to port 80 of this host has arrived.
    bool ReadConnects() {
        unsigned char packet[2048];
        bool seen = false;
        ssize_t n;
        while ((n = ::recv(capture_.Get(), packet, sizeof packet, 0)) > 0) {
            if (static_cast<std::size_t>(n) < sizeof(iphdr)) {
                continue;
            }
            const auto* ip = reinterpret_cast<const iphdr*>(packet);
            std::size_t ipLength = ip->ihl * 4u;
            if (ip->protocol != IPPROTO_TCP ||
                static_cast<std::size_t>(n) < ipLength + sizeof(tcphdr)) {
                continue;
            }
            const auto* tcp = reinterpret_cast<const tcphdr*>(packet + ipLength);
            if (ntohs(tcp->dest) == 80 && tcp->syn && !tcp->ack &&
                ntohl(ip->daddr) == test::Ip(ip_)) {
                seen = true;
            }
        }
        return seen;
    }

private:
    std::string ip_;
    UniqueFd listener_;
    UniqueFd capture_;
};

TEST(MeshprobeTest, SweepsTheLanInAddressOrderOnePerSecondAndEndsOnSigterm) {
    KESTROVE_REQUIRE_ROOT();
    test::TempFolder runtime;
    test::TestLan lan("sweep");
    test::NetNamespace& probeNs = lan.AddHost("probe", "02:00:00:00:01:0a", "10.77.5.10/24");
    std::vector<std::string> macs = {"02:00:00:00:01:01", "02:00:00:00:01:02", "02:00:00:00:01:03"};
    std::vector<std::unique_ptr<ListeningHost>> hosts;
    for (std::size_t i = 0; i < macs.size(); ++i) {
        std::string ip = "10.77.5." + std::to_string(i + 1);
        test::NetNamespace& ns = lan.AddHost("h" + std::to_string(i + 1), macs[i], ip + "/24");
        hosts.push_back(std::make_unique<ListeningHost>(ns, ip));
    }

    Steady::time_point start = Steady::now();
    auto sweeper = StartSweeper(probeNs, runtime.Path());
    ASSERT_TRUE(sweeper->Started());

    // .0 comes first, a second after start; .1 to .3 within the next few seconds.
    std::map<std::size_t, Steady::time_point> firstConnect;
    while (firstConnect.size() < hosts.size() && Steady::now() - start < 15s) {
        std::vector<pollfd> fds;
        for (const auto& host : hosts) {
            fds.push_back({host->CaptureFd(), POLLIN, 0});
        }
        ::poll(fds.data(), fds.size(), 100);
        for (std::size_t i = 0; i < hosts.size(); ++i) {
            if (hosts[i]->ReadConnects() && firstConnect.count(i) == 0) {
                firstConnect[i] = Steady::now();
            }
        }
    }
    ASSERT_EQ(firstConnect.size(), hosts.size()) << "every listening host sees a connect";
    EXPECT_GE(firstConnect[0] - start, 1s);
    for (std::size_t i = 1; i < hosts.size(); ++i) {
        auto gap = firstConnect[i] - firstConnect[i - 1];
        EXPECT_GT(gap, 500ms) << hosts[i]->Address();
        EXPECT_LT(gap, 2s) << hosts[i]->Address();
    }

    std::string neighbours = probeNs.ExecOutput("ip neigh show dev veth0");
    for (std::size_t i = 0; i < hosts.size(); ++i) {
        EXPECT_THAT(neighbours, HasSubstr(hosts[i]->Address() + " lladdr " + macs[i]));
    }

    EXPECT_EQ(StartSweeper(probeNs, runtime.Path())->Wait(5s), 0)
        << "a second copy ends at once, silently";
    EXPECT_FALSE(sweeper->Wait(0ms)) << "the first copy keeps running";

    sweeper->Signal(SIGTERM);
    EXPECT_EQ(sweeper->Wait(5s), 0);
}

}  // namespace
}  // namespace kestrove
