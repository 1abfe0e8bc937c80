#include "monitor/watch/AlarmExplainer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/FakeNetInfo.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::Each;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;

// Lines as the registry files of Debian's ieee-data hold them (CR LF, tabs, address lines).
constexpr std::string_view kOuiLines =
    "OUI/MA-L                                                    Organization\r\n"
    "company_id                                                  Organization\r\n"
    "\r\n"
    "3C-5A-B4   (hex)\t\tGoogle, Inc.\r\n"
    "3C5AB4     (base 16)\t\tGoogle, Inc.\r\n"
    "\t\t\t\t1600 Amphitheatre Parkway\r\n"
    "\t\t\t\tMountain View    94043\r\n"
    "\t\t\t\tUS\r\n"
    "\r\n"
    "00-00-0C   (hex)\t\tCisco Systems, Inc\r\n"
    "00000C     (base 16)\t\tCisco Systems, Inc\r\n"
    "\t\t\t\t170 WEST TASMAN DRIVE\r\n"
    "\r\n"
    "00-00-5E   (hex)\t\tICANN, IANA Department\r\n"
    "00005E     (base 16)\t\tICANN, IANA Department\r\n"
    "\t\t\t\tINTERNET ASS'NED NOS.AUTHORITY\r\n"
    "\r\n"
    "74-1A-E0   (hex)\t\tIEEE Registration Authority\r\n"
    "741AE0     (base 16)\t\tIEEE Registration Authority\r\n";
constexpr std::string_view kMamLines =
    "74-1A-E0   (hex)\t\tPrivate\r\n"
    "900000-9FFFFF     (base 16)\t\tPrivate\r\n"
    "\r\n"
    "74-1A-E0   (hex)\t\tFUJIAN TAILI COMMUNICATION TECHNOLOGY CO.,LTD\r\n"
    "500000-5FFFFF     (base 16)\t\tFUJIAN TAILI COMMUNICATION TECHNOLOGY CO.,LTD\r\n"
    "\t\t\t\tCangshan science and technology park, Baihuting,Cangshan District, Fuzhou\r\n";

class AlarmExplainerTest : public ::testing::Test {
protected:
    AlarmExplainerTest() {
        vendors.AddRegistryText(kOuiLines);
        vendors.AddRegistryText(kMamLines);
    }

    std::vector<std::string> Change(std::string_view oldMac, std::string_view newMac,
                                    AlarmHistory history = {}) const {
        return explainer.Causes(
            AlarmFacts{AlarmKind::Change, Ip("192.168.1.1"), 0, Mac(oldMac), Mac(newMac)}, history);
    }

    OuiRegistry vendors{"/nonexistent"};
    AlarmExplainer explainer{vendors};
};

TEST_F(AlarmExplainerTest, VendorsComeFromTheLargeAndTheSmallBlocks) {
    struct Case {
        const char* mac;
        const char* vendor;
    } cases[] = {
        {"3C-5A-B4-01-02-03", "Google, Inc."},
        {"3c-5a-b4-ff-ff-ff", "Google, Inc."},
        {"00-00-0C-07-AC-01", "Cisco Systems, Inc"},
        {"74-1A-E0-55-00-01", "FUJIAN TAILI COMMUNICATION TECHNOLOGY CO.,LTD"},
        {"74-1A-E0-9F-FF-FF", "Private"},
        // Outside every small block: the owner of the whole prefix.
        {"74-1A-E0-00-00-01", "IEEE Registration Authority"},
        {"02-00-00-00-00-01", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(vendors.Vendor(Mac(c.mac)), c.vendor) << c.mac;
    }
}

TEST_F(AlarmExplainerTest, EachRuleNamesItsCause) {
    const AlarmHistory none;
    struct Case {
        const char* name;
        const char* oldMac;
        const char* newMac;
        AlarmHistory history;
        const char* expected;  // a piece of one cause
    } cases[] = {
        {"VRRP (IPv4)", "00-00-5E-00-01-0A", "3C-5A-B4-00-00-01", none, "VRRPまたはCARP"},
        {"VRRP (IPv6)", "3C-5A-B4-00-00-01", "00-00-5E-00-02-01", none,
         "新しいMACアドレス（00-00-5E-00-02-01）はVRRP"},
        {"HSRP", "00-00-0C-07-AC-01", "3C-5A-B4-00-00-01", none,
         "以前のMACアドレス（00-00-0C-07-AC-01）はHSRP"},
        {"HSRP v2", "3C-5A-B4-00-00-01", "00-00-0C-9F-F0-01", none, "はHSRP"},
        {"randomised new", "3C-5A-B4-00-00-01", "DA-A1-19-00-00-01", none,
         "新しいMACアドレス（DA-A1-19-00-00-01）はローカル管理アドレス"},
        {"randomised old", "02-00-00-00-00-01", "3C-5A-B4-00-00-01", none,
         "以前のMACアドレス（02-00-00-00-00-01）はローカル管理アドレス"},
        {"unseen",
         "3C-5A-B4-00-00-01",
         "00-00-0C-00-00-02",
         {std::chrono::minutes(25), false, 0},
         "変化の前に25分間見えていませんでした"},
        {"flip back",
         "3C-5A-B4-00-00-01",
         "00-00-0C-00-00-02",
         {std::nullopt, true, 0},
         "1分以内に元のMACアドレスに戻りました"},
        {"holds others",
         "3C-5A-B4-00-00-01",
         "00-00-0C-00-00-02",
         {std::nullopt, false, 3},
         "ほかに3個のIPアドレスでも使われています"},
        {"vendors", "3C-5A-B4-00-00-01", "00-00-0C-00-00-02", none,
         "新しいMACアドレスはCisco Systems, Incの機器の可能性があります"},
        {"no clue", "3C-5A-B4-00-00-01", "00-00-0C-00-00-02", none,
         "ARPポイズニングの可能性があります"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> causes = Change(c.oldMac, c.newMac, c.history);
        EXPECT_THAT(causes, Contains(HasSubstr(c.expected))) << c.name;
        EXPECT_THAT(causes, Each(EndsWith("の可能性があります"))) << c.name;
    }
}

TEST_F(AlarmExplainerTest, RulesStayQuietWhenTheirConditionFails) {
    // Ten minutes exactly is not more than ten; a globally administered MAC is not randomised;
    // 00-00-5E-00-03 and 00-00-0C-07-AD are no router-redundancy addresses.
    std::vector<std::string> causes =
        Change("00-00-5E-00-03-01", "00-00-0C-07-AD-01", {std::chrono::minutes(10), false, 0});
    EXPECT_THAT(causes, Each(Not(HasSubstr("仮想ルーター"))));
    EXPECT_THAT(causes, Each(Not(HasSubstr("見えていません"))));
    EXPECT_THAT(causes, Each(Not(HasSubstr("ローカル管理"))));
    EXPECT_THAT(causes, Contains(HasSubstr("ほかに手がかりはありません")));
    // A clue of its own makes the fallback unnecessary.
    EXPECT_THAT(Change("3C-5A-B4-00-00-01", "00-00-0C-07-AC-01"),
                Each(Not(HasSubstr("ほかに手がかり"))));
}

TEST_F(AlarmExplainerTest, DuplicateAndBroadcastAlarmsExplainTheSharedMac) {
    std::vector<std::string> dup = explainer.Causes(AlarmFacts{AlarmKind::Duplicate,
                                                               Ip("192.168.1.1"),
                                                               Ip("192.168.1.2"),
                                                               {},
                                                               Mac("00-00-5E-00-01-01")},
                                                    {});
    EXPECT_THAT(dup, Contains(HasSubstr("1つのMACアドレスを複数のIPアドレスが使っています")));
    EXPECT_THAT(dup, Contains(HasSubstr("このMACアドレス（00-00-5E-00-01-01）はVRRPまたはCARP")));
    EXPECT_THAT(dup, Contains(HasSubstr("このMACアドレスはICANN, IANA Departmentの機器")));

    std::vector<std::string> own = explainer.Causes(
        AlarmFacts{AlarmKind::Broadcast, Ip("10.0.0.99"), 0, {}, Mac("02-AA-BB-CC-DD-01")}, {});
    EXPECT_THAT(own, Contains(HasSubstr("このPCのMACアドレスを別のIPアドレスが名乗っています")));
    EXPECT_THAT(own, Contains(HasSubstr("ローカル管理アドレス")));
    EXPECT_THAT(own, Each(EndsWith("の可能性があります")));

    // A MAC that tells nothing of itself gives the general cause alone.
    EXPECT_EQ(explainer
                  .Causes(AlarmFacts{AlarmKind::Duplicate,
                                     Ip("10.0.0.1"),
                                     Ip("10.0.0.2"),
                                     {},
                                     Mac("00-12-34-56-78-9A")},
                          {})
                  .size(),
              1u);
}

TEST(OuiRegistry, FilesAreReadAtTheFirstLookupAndAMissingFolderKnowsNoVendor) {
    TempFolder dir;
    OuiRegistry registry(dir.Path());
    WriteFile(dir / "oui.txt", std::string(kOuiLines));
    WriteFile(dir / "mam.txt",
              "74-1A-E0   (hex)\t\tPrivate\r\n900000-9FFFFF     (base 16)\t\tPrivate\r\n");
    EXPECT_EQ(registry.Vendor(Mac("74-1A-E0-90-00-00")), "Private");
    EXPECT_EQ(registry.Vendor(Mac("00-00-0C-00-00-00")), "Cisco Systems, Inc");
    std::filesystem::remove(dir / "oui.txt");
    EXPECT_EQ(registry.Vendor(Mac("3C-5A-B4-00-00-00")), "Google, Inc.") << "read once, kept";

    OuiRegistry none(dir / "missing");
    EXPECT_EQ(none.Vendor(Mac("3C-5A-B4-00-00-00")), "");
}

TEST(OuiRegistry, DamagedTextIsSkippedAndNamesAreCleaned) {
    OuiRegistry registry("/nonexistent");
    registry.AddRegistryText(
        "00-11-22   (hex)\t\t\x01"
        "Evil\x1b[31m name\r\n"
        "001122     (base 16)\t\tEvil\r\n"
        "GG-11-22   (hex)\t\tNot hex\r\n"
        "001123     (base 16)\t\tstray range line\r\n"
        "00-11-24   (hex)\t\tBad range\r\n"
        "FFFFFF-000000     (base 16)\t\tBad range\r\n"
        "00-11-25   (hex)\t\t" +
        std::string(300, 'x') +
        "\r\n"
        "001125     (base 16)\t\tx\r\n"
        "00-11-26   (hex)\t\tCut at the end");
    EXPECT_EQ(registry.Vendor(Mac("00-11-22-00-00-00")), "Evil[31m name");
    EXPECT_EQ(registry.Vendor(Mac("00-11-23-00-00-00")), "");
    EXPECT_EQ(registry.Vendor(Mac("00-11-24-00-00-00")), "");
    EXPECT_EQ(registry.Vendor(Mac("00-11-25-00-00-00")).size(), OuiRegistry::kMaxNameBytes);
    EXPECT_EQ(registry.Vendor(Mac("00-11-26-00-00-00")), "Cut at the end");
}

TEST(OuiRegistry, DebiansRegistryIsInstalled) {
    // scripts/install-deps installs ieee-data; without it alarms only lose their vendor lines.
    if (!std::filesystem::exists("/usr/share/ieee-data/oui.txt")) {
        GTEST_SKIP() << "ieee-data is not installed";
    }
    OuiRegistry registry;
    EXPECT_EQ(registry.Vendor(Mac("00-00-0C-07-AC-01")), "Cisco Systems, Inc");
}

}  // namespace
}  // namespace kestrove::test
