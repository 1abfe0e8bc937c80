#include "netinfo/linux/NeighbourMessages.h"

#include <gtest/gtest.h>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "NetlinkBytes.h"
#include "testsupport/FakeNetInfo.h"

namespace kestrove {
namespace {

using test::Append;
using test::Attr;
using test::Bytes;
using test::Ip;
using test::Join;

constexpr std::uint32_t kSeq = 7;
constexpr int kLo = 1;
constexpr int kEth = 2;

Bytes Dst(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return Attr(NDA_DST, {a, b, c, d});
}

Bytes LlAddr(Bytes mac) {
    return Attr(NDA_LLADDR, mac);
}

Bytes Neighbour(std::uint8_t family, int ifindex, std::uint16_t state,
                std::initializer_list<Bytes> attrs) {
    ndmsg nd{};
    nd.ndm_family = family;
    nd.ndm_ifindex = ifindex;
    nd.ndm_state = state;
    Bytes out;
    Append(out, nd);
    Bytes rest = Join(attrs);
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

Bytes Message(std::uint16_t type, const Bytes& body, std::uint32_t seq = kSeq) {
    return test::Message(type, body, seq);
}

Bytes New(const Bytes& neighbour, std::uint32_t seq = kSeq) {
    return Message(RTM_NEWNEIGH, neighbour, seq);
}

Bytes Done(int result = 0, std::uint32_t seq = kSeq) {
    Bytes body;
    Append(body, result);
    return Message(NLMSG_DONE, body, seq);
}

Bytes Reachable(std::uint8_t last, std::uint8_t macLast) {
    return Neighbour(AF_INET, kEth, NUD_REACHABLE,
                     {Dst(10, 200, 0, last), LlAddr({2, 0, 0, 0, 0, macLast})});
}

NeighbourDumpStatus Parse(const Bytes& bytes, std::vector<ArpEntry>& entries) {
    return ParseNeighbourDump(bytes, NeighbourDumpFilter{kSeq, kLo}, entries);
}

// The entries of a dump that must read to its end.
std::vector<ArpEntry> Entries(const Bytes& dump) {
    std::vector<ArpEntry> entries;
    EXPECT_EQ(Parse(dump, entries), NeighbourDumpStatus::Done);
    return entries;
}

TEST(NeighbourMessages, EntriesComeInKernelOrderWithAtMostEightHardwareAddressBytes) {
    const Bytes dump = Join({
        New(Reachable(9, 0x09)),
        New(Reachable(1, 0x0a)),
        New(Neighbour(AF_INET, kEth, NUD_INCOMPLETE, {Dst(10, 200, 0, 99)})),
        New(Neighbour(AF_INET, kEth, NUD_FAILED, {Dst(10, 200, 0, 98)})),
        New(Neighbour(AF_INET, kEth, NUD_PERMANENT,
                      {Attr(NDA_CACHEINFO, Bytes(16, 0xff)), LlAddr(Bytes(20, 0xab)),
                       Dst(10, 0, 0, 1), Attr(NDA_PROBES, {1, 0, 0, 0})})),
        New(Neighbour(AF_INET, kEth, NUD_PERMANENT, {Dst(10, 0, 0, 2), LlAddr({})})),
        Done(),
    });
    const std::vector<std::pair<const char*, std::string>> expected = {
        {"10.200.0.9", "02-00-00-00-00-09"},
        {"10.200.0.1", "02-00-00-00-00-0A"},
        {"10.200.0.99", std::string(kZeroMacText)},  // no hardware address yet
        {"10.200.0.98", std::string(kZeroMacText)},
        {"10.0.0.1", "AB-AB-AB-AB-AB-AB-AB-AB"},  // unknown attributes are ignored
        {"10.0.0.2", ""},                         // an empty address stays empty
    };
    auto entries = Entries(dump);
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(entries[i].address, Ip(expected[i].first)) << i;
        EXPECT_EQ(FormatMac(entries[i].mac), expected[i].second) << i;
    }
    EXPECT_TRUE(entries[2].mac.IsUnresolved());
    EXPECT_TRUE(entries[3].mac.IsUnresolved());
    EXPECT_EQ(entries[4].mac.length, 8);
}

TEST(NeighbourMessages, PassesOverWhatIsNoNeighbourOfOursOrAnswersAnotherRequest) {
    const Bytes dump = Join({
        New(Neighbour(AF_INET6, kEth, NUD_REACHABLE, {Attr(NDA_DST, Bytes(16, 0xfe))})),
        New(Neighbour(AF_INET, kLo, NUD_NOARP, {Dst(0, 0, 0, 0), LlAddr({0, 0, 0, 0, 0, 0})})),
        New(Neighbour(AF_INET, kEth, NUD_REACHABLE, {LlAddr({2, 0, 0, 0, 0, 5})})),
        New(Neighbour(AF_INET, kEth, NUD_REACHABLE, {Attr(NDA_DST, {10, 200})})),
        // NOARP elsewhere (multicast, broadcast) is a real entry and stays.
        New(Neighbour(AF_INET, kEth, NUD_NOARP,
                      {Dst(224, 0, 0, 251), LlAddr({1, 0, 0x5e, 0, 0, 0xfb})})),
        Message(RTM_GETNEIGH, Reachable(3, 3)),
        New(Reachable(1, 1), kSeq - 1),
        Done(0, kSeq - 1),
        Message(NLMSG_ERROR, Bytes(20, 0), kSeq - 1),
        New(Reachable(2, 2)),
        Done(),
    });
    auto entries = Entries(dump);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].address, Ip("224.0.0.251"));
    EXPECT_EQ(FormatMac(entries[0].mac), "01-00-5E-00-00-FB");
    EXPECT_EQ(entries[1].address, Ip("10.200.0.2"));
}

void SetU32(Bytes& b, std::size_t at, std::uint32_t v) {
    std::memcpy(&b[at], &v, 4);
}
void SetU16(Bytes& b, std::size_t at, std::uint16_t v) {
    std::memcpy(&b[at], &v, 2);
}

// Bytes of one valid message, then `edit` applied to them.
Bytes Damaged(const std::function<void(Bytes&)>& edit) {
    Bytes dump = New(Reachable(1, 1));
    edit(dump);
    return dump;
}

TEST(NeighbourMessages, KernelErrorsAndUntrustworthyLengthsAreErrors) {
    constexpr std::size_t kFirstAttr = sizeof(nlmsghdr) + sizeof(ndmsg);
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"kernel error", Message(NLMSG_ERROR, Bytes(20, 0xff))},
        {"dump ended by an error", Done(-EINTR)},
        {"overrun", Message(NLMSG_OVERRUN, {})},
        {"message shorter than its header", Damaged([](Bytes& b) { SetU32(b, 0, 8); })},
        {"message longer than the datagram", Damaged([](Bytes& b) { SetU32(b, 0, 0xffffffff); })},
        {"trailing partial header", Damaged([](Bytes& b) {
             b.insert(b.end(), {1, 2, 3});
         })},
        {"body shorter than ndmsg", Damaged([](Bytes& b) {
             b.resize(sizeof(nlmsghdr) + 4);
             SetU32(b, 0, static_cast<std::uint32_t>(b.size()));
         })},
        {"attribute shorter than its header", Damaged([](Bytes& b) { SetU16(b, kFirstAttr, 2); })},
        {"attribute beyond its message", Damaged([](Bytes& b) { SetU16(b, kFirstAttr, 0xfff0); })},
        {"partial attribute header", Damaged([](Bytes& b) {
             b.insert(b.end(), {0, 0});
             SetU32(b, 0, static_cast<std::uint32_t>(b.size()));
         })},
    };
    for (const auto& [what, bytes] : cases) {
        std::vector<ArpEntry> entries;
        EXPECT_EQ(Parse(bytes, entries), NeighbourDumpStatus::Error) << what;
    }
}

TEST(NeighbourMessages, EveryCutOfADumpIsSafeAndOnlyMessageBoundariesAskForMore) {
    Bytes dump;
    std::vector<std::size_t> boundaries{0};
    for (std::uint8_t i = 1; i <= 4; ++i) {
        Bytes message =
            New(i % 2 == 0 ? Reachable(i, i)
                           : Neighbour(AF_INET, kEth, NUD_FAILED, {Dst(10, 200, 0, i)}));
        dump.insert(dump.end(), message.begin(), message.end());
        boundaries.push_back(dump.size());
    }
    for (std::size_t cut = 0; cut < dump.size(); ++cut) {
        std::vector<ArpEntry> entries;
        // A heap copy of exactly `cut` bytes, so a read past the end trips the sanitizer.
        Bytes part(dump.begin(), dump.begin() + static_cast<std::ptrdiff_t>(cut));
        auto status = Parse(part, entries);
        bool atBoundary = std::find(boundaries.begin(), boundaries.end(), cut) != boundaries.end();
        EXPECT_EQ(status, atBoundary ? NeighbourDumpStatus::More : NeighbourDumpStatus::Error)
            << cut;
    }
}

// Notifications come one or a few to a datagram, with whatever sequence and port the change's
// requester used; only new or changed IPv4 entries are announced to the engine.
TEST(NeighbourEvents, NewEntriesOfAnySequenceAreTakenAndRemovalsPassedOver) {
    const Bytes datagram = Join({
        New(Reachable(1, 0x66), 0),
        Message(RTM_DELNEIGH, Reachable(2, 0x02), 0),
        New(Neighbour(AF_INET6, kEth, NUD_REACHABLE, {LlAddr({2, 0, 0, 0, 0, 3})}), 0),
        New(Neighbour(AF_INET, kLo, NUD_NOARP, {Dst(0, 0, 0, 0)}), 0),
        New(Neighbour(AF_INET, kEth, NUD_INCOMPLETE, {Dst(10, 200, 0, 99)}), 0),
        New(Reachable(1, 0x01), 12345),
        Done(0, 0),
    });
    std::vector<ArpEntry> entries;
    EXPECT_TRUE(ParseNeighbourEvents(datagram, NeighbourDumpFilter{0, kLo}, entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].address, Ip("10.200.0.1"));
    EXPECT_EQ(FormatMac(entries[0].mac), "02-00-00-00-00-66");
    EXPECT_EQ(FormatMac(entries[1].mac), "00-00-00-00-00-00") << "incomplete: the zero MAC";
    EXPECT_EQ(FormatMac(entries[2].mac), "02-00-00-00-00-01");
}

TEST(NeighbourEvents, EveryCutOfADatagramIsSafeAndKeepsTheWholeEntriesBeforeIt) {
    Bytes datagram;
    std::vector<std::size_t> boundaries{0};
    for (std::uint8_t i = 1; i <= 3; ++i) {
        Bytes message = New(Reachable(i, i), 0);
        datagram.insert(datagram.end(), message.begin(), message.end());
        boundaries.push_back(datagram.size());
    }
    for (std::size_t cut = 0; cut < datagram.size(); ++cut) {
        Bytes part(datagram.begin(), datagram.begin() + static_cast<std::ptrdiff_t>(cut));
        std::vector<ArpEntry> entries;
        bool whole = ParseNeighbourEvents(part, NeighbourDumpFilter{0, kLo}, entries);
        auto before = static_cast<std::size_t>(
            std::upper_bound(boundaries.begin(), boundaries.end(), cut) - boundaries.begin() - 1);
        EXPECT_EQ(whole, boundaries[before] == cut) << cut;
        EXPECT_EQ(entries.size(), before) << cut;
    }
}

}  // namespace
}  // namespace kestrove
