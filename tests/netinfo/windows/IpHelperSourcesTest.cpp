#include <gtest/gtest.h>

// clang-format off: winsock2.h must come before iphlpapi.h
#include <iphlpapi.h>
#include <winsock2.h>
// clang-format on

#include <cstring>

#include "netinfo/windows/DefaultGateways.h"
#include "netinfo/windows/IpHelperAdapterSource.h"
#include "netinfo/windows/IpHelperArpTableSource.h"

namespace kestrove {
namespace {

// The platform's answers played back: the size query, then the table of these rows.
IpHelperArpTableSource::GetTable PlayTable(unsigned long firstAnswer,
                                           std::vector<MIB_IPNETROW> rows,
                                           DWORD claimedCount = ~0u) {
    return [=](void* table, unsigned long* size, int) -> unsigned long {
        unsigned long needed = static_cast<unsigned long>(offsetof(MIB_IPNETTABLE, table) +
                                                          rows.size() * sizeof(MIB_IPNETROW));
        if (*size == 0) {
            *size = needed;
            return firstAnswer;
        }
        if (*size < needed) {
            *size = needed;
            return ERROR_INSUFFICIENT_BUFFER;
        }
        DWORD count = claimedCount == ~0u ? static_cast<DWORD>(rows.size()) : claimedCount;
        std::memcpy(table, &count, sizeof count);
        std::memcpy(static_cast<char*>(table) + offsetof(MIB_IPNETTABLE, table), rows.data(),
                    rows.size() * sizeof(MIB_IPNETROW));
        return NO_ERROR;
    };
}

MIB_IPNETROW Row(const char* address, std::vector<BYTE> mac) {
    MIB_IPNETROW row{};
    row.dwAddr = ::inet_addr(address);
    row.dwPhysAddrLen = static_cast<DWORD>(mac.size());
    std::memcpy(row.bPhysAddr, mac.data(), std::min<std::size_t>(mac.size(), 8));
    row.dwType = 3;
    return row;
}

TEST(IpHelperArpTableSource, RowsComeBackInTheSystemsOrder) {
    IpHelperArpTableSource source(
        PlayTable(ERROR_INSUFFICIENT_BUFFER,
                  {Row("192.168.1.9", {0, 0xAA, 0xBB, 0xCC, 0xDD, 0x0E}), Row("192.168.1.1", {}),
                   Row("10.0.0.1", {1, 2, 3, 4, 5, 6, 7, 8})}));
    std::vector<ArpEntry> entries;
    ASSERT_TRUE(source.Read(entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].address, 0xC0A80109u);
    EXPECT_EQ(FormatMac(entries[0].mac), "00-AA-BB-CC-DD-0E");
    EXPECT_TRUE(entries[1].mac.IsUnresolved());
    EXPECT_EQ(FormatMac(entries[2].mac), "01-02-03-04-05-06-07-08");
}

TEST(IpHelperArpTableSource, TableThatDidNotGrowIsReadInOneCallAndAShorterOneLeavesNoRows) {
    std::vector<MIB_IPNETROW> rows{Row("192.168.1.1", {1, 2, 3, 4, 5, 6}),
                                   Row("192.168.1.2", {1, 2, 3, 4, 5, 7})};
    int calls = 0;
    auto play = PlayTable(ERROR_INSUFFICIENT_BUFFER, rows);
    IpHelperArpTableSource source([&](void* table, unsigned long* size, int order) {
        ++calls;
        return play(table, size, order);
    });
    std::vector<ArpEntry> entries;
    ASSERT_TRUE(source.Read(entries));
    EXPECT_EQ(calls, 2) << "the size, then the table";
    calls = 0;
    ASSERT_TRUE(source.Read(entries));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(entries.size(), 2u);

    play = PlayTable(ERROR_INSUFFICIENT_BUFFER, {rows[0]});
    ASSERT_TRUE(source.Read(entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(FormatMac(entries[0].mac), "01-02-03-04-05-06");
    play = PlayTable(ERROR_INSUFFICIENT_BUFFER, rows);
    calls = 0;
    ASSERT_TRUE(source.Read(entries));
    EXPECT_EQ(entries.size(), 2u);
}

TEST(IpHelperArpTableSource, OnlyTheBufferTooSmallAnswerGoesOn) {
    for (unsigned long answer : {0ul, 232ul, 50ul, 87ul, 31ul}) {
        IpHelperArpTableSource source(PlayTable(answer, {Row("192.168.1.1", {1, 2, 3, 4, 5, 6})}));
        std::vector<ArpEntry> entries{ArpEntry{}};
        EXPECT_FALSE(source.Read(entries)) << answer;
        EXPECT_TRUE(entries.empty()) << answer;
    }
}

TEST(IpHelperArpTableSource, HostileCountsAndLengthsStayInsideTheBuffer) {
    MIB_IPNETROW longMac = Row("192.168.1.2", {1, 2, 3, 4, 5, 6});
    longMac.dwPhysAddrLen = 200;
    IpHelperArpTableSource source(PlayTable(ERROR_INSUFFICIENT_BUFFER, {longMac}, 100000));
    std::vector<ArpEntry> entries;
    ASSERT_TRUE(source.Read(entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mac.length, 8u);
}

TEST(IpHelperAdapterSource, SizeQueryAnswersGiveTheResults) {
    struct Case {
        unsigned long answer;
        AdapterQueryStatus status;
    };
    for (Case c :
         {Case{ERROR_NOT_SUPPORTED, AdapterQueryStatus::NotSupported},
          Case{ERROR_INVALID_PARAMETER, AdapterQueryStatus::InvalidParameter},
          Case{ERROR_NO_DATA, AdapterQueryStatus::NoAdapter},
          Case{NO_ERROR, AdapterQueryStatus::Failed}, Case{31, AdapterQueryStatus::Failed}}) {
        IpHelperAdapterSource source([&](void*, unsigned long*) { return c.answer; });
        std::vector<AdapterRecord> adapters;
        EXPECT_EQ(source.Read(adapters), c.status) << c.answer;
    }
}

TEST(IpHelperAdapterSource, RecordsFollowTheChainAndUnterminatedTextsStopAtTheField) {
    IpHelperAdapterSource source([](void* buffer, unsigned long* size) -> unsigned long {
        constexpr unsigned long kNeeded = 2 * sizeof(IP_ADAPTER_INFO);
        if (*size < kNeeded) {
            *size = kNeeded;
            return ERROR_BUFFER_OVERFLOW;
        }
        auto* info = static_cast<IP_ADAPTER_INFO*>(buffer);
        std::memset(info, 0, kNeeded);
        info[0].Next = &info[1];
        std::strcpy(info[0].Description, "Ethernet");
        info[0].AddressLength = 6;
        std::memcpy(info[0].Address, "\x00\xAA\xBB\xCC\xDD\x0E", 6);
        std::strcpy(info[0].IpAddressList.IpAddress.String, "192.168.1.5");
        std::strcpy(info[0].IpAddressList.IpMask.String, "255.255.255.0");
        std::memset(info[1].Description, 'x', sizeof info[1].Description);  // no NUL
        info[1].AddressLength = 99;
        return NO_ERROR;
    });
    std::vector<AdapterRecord> adapters;
    ASSERT_EQ(source.Read(adapters), AdapterQueryStatus::Ok);
    ASSERT_EQ(adapters.size(), 2u);
    EXPECT_EQ(adapters[0].description, "Ethernet");
    EXPECT_EQ(FormatMac(adapters[0].mac), "00-AA-BB-CC-DD-0E");
    EXPECT_EQ(adapters[0].ipAddress, "192.168.1.5");
    EXPECT_EQ(adapters[0].ipMask, "255.255.255.0");
    EXPECT_EQ(adapters[1].description.size(), sizeof(IP_ADAPTER_INFO::Description));
    EXPECT_EQ(adapters[1].mac.length, MAX_ADAPTER_ADDRESS_LENGTH);
    EXPECT_EQ(adapters[1].ipAddress, "0.0.0.0");
    EXPECT_EQ(adapters[1].ipMask, "0.0.0.0");
}

TEST(DefaultGateways, DefaultRoutesWithAGatewayLowestMetricFirstOnce) {
    struct Route {
        const char* dest;
        const char* mask;
        const char* hop;
        DWORD metric;
    };
    const Route routes[] = {
        {"0.0.0.0", "0.0.0.0", "10.0.0.1", 50},
        {"192.168.1.0", "255.255.255.0", "192.168.1.1", 1},  // not a default route
        {"0.0.0.0", "0.0.0.0", "192.168.1.1", 10},
        {"0.0.0.0", "0.0.0.0", "0.0.0.0", 1},       // on-link: no gateway
        {"0.0.0.0", "0.0.0.0", "10.0.0.1", 60},     // the same gateway again
        {"0.0.0.0", "128.0.0.0", "172.16.0.1", 1},  // half the space only
    };
    constexpr std::size_t kCount = sizeof routes / sizeof routes[0];
    std::vector<char> buffer(offsetof(MIB_IPFORWARDTABLE, table) +
                             kCount * sizeof(MIB_IPFORWARDROW));
    auto* table = reinterpret_cast<MIB_IPFORWARDTABLE*>(buffer.data());
    table->dwNumEntries = kCount;
    for (std::size_t i = 0; i < kCount; ++i) {
        MIB_IPFORWARDROW& row = table->table[i];
        row.dwForwardDest = ::inet_addr(routes[i].dest);
        row.dwForwardMask = ::inet_addr(routes[i].mask);
        row.dwForwardNextHop = ::inet_addr(routes[i].hop);
        row.dwForwardMetric1 = routes[i].metric;
    }
    EXPECT_EQ(DefaultGateways(*table),
              (std::vector<Ipv4>{MakeIpv4(192, 168, 1, 1), MakeIpv4(10, 0, 0, 1)}));
    table->dwNumEntries = 0;
    EXPECT_TRUE(DefaultGateways(*table).empty());
}

}  // namespace
}  // namespace kestrove
