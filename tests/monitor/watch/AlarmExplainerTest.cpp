#include "monitor/watch/AlarmExplainer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testsupport/FakeNetInfo.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
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

// Golden texts: every explanation as the user reads it, one line per element.
constexpr const char* kLead =
    "ARPポイズニング（攻撃者のなりすまし）の可能性があります。下の手がかりがあっても否定できません";

TEST_F(AlarmExplainerTest, AChangeBetweenTwoMakersStatesTheMakersAsFactsAndPoisoningAsPossible) {
    EXPECT_THAT(
        Change("3C-5A-B4-00-00-01", "00-00-0C-00-00-02"),
        ElementsAre(
            kLead,
            "以前のMACアドレス（3C-5A-B4-00-00-01）はGoogle, Inc.製です（先頭の番号の登録による）",
            "新しいMACアドレス（00-00-0C-00-00-02）はCisco Systems, "
            "Inc製です（先頭の番号の登録による）"));
    // No maker known: the lead alone, never a claim that nothing else is known.
    EXPECT_THAT(Change("A4-00-00-00-00-01", "A8-00-00-00-00-02"), ElementsAre(kLead));
}

TEST_F(AlarmExplainerTest, ReservedBlocksAreNamedForWhatTheyAreNeverAsAMakerOrAHarmlessCause) {
    EXPECT_THAT(
        Change("3C-5A-B4-00-00-01", "00-00-5E-00-01-01"),
        ElementsAre(
            kLead,
            "以前のMACアドレス（3C-5A-B4-00-00-01）はGoogle, Inc.製です（先頭の番号の登録による）",
            "新しいMACアドレス（00-00-5E-00-01-01）はVRRPまたはCARPの仮想ルーター用に予約された"
            "アドレスで、製造者を表しません。仮想ルーターが切り替わってもこのアドレスは変わりませ"
            "ん"));
    EXPECT_THAT(
        Change("00-00-5E-00-02-0A", "00-00-0C-9F-F0-01"),
        ElementsAre(
            kLead,
            "以前のMACアドレス（00-00-5E-00-02-0A）はVRRPまたはCARPの仮想ルーター用に予約"
            "されたアドレスで、製造者を表しません。仮想ルーターが切り替わってもこのアドレ"
            "スは変わりません",
            "新しいMACアドレス（00-00-0C-9F-F0-01）はHSRPの仮想ルーター用に予約されたアドレ"
            "スで、製造者を表しません。仮想ルーターが切り替わってもこのアドレスは変わりません"));
    EXPECT_THAT(
        Change("00-00-0C-07-AC-01", "DA-A1-19-00-00-01"),
        ElementsAre(
            kLead,
            "以前のMACアドレス（00-00-0C-07-AC-01）はHSRPの仮想ルーター用に予約されたアドレ"
            "スで、製造者を表しません。仮想ルーターが切り替わってもこのアドレスは変わりません",
            "新しいMACアドレス（DA-A1-19-00-00-01）はローカル管理アドレスで、製造者を表しま"
            "せん。ソフトウェアで自由に設定できるアドレスです"));
    EXPECT_THAT(
        Change("01-00-5E-00-00-01", "00-00-5E-00-53-01"),
        ElementsAre(kLead,
                    "以前のMACアドレス（01-00-5E-00-00-01）はマルチキャストアドレスで、1台の機器の"
                    "アドレスではありません",
                    "新しいMACアドレス（00-00-5E-00-53-01）はIANAの予約ブロックのアドレスで、製造者"
                    "を表しません"));
    for (const char* reserved :
         {"00-00-5E-00-01-01", "00-00-0C-07-AC-01", "02-00-00-00-00-01", "01-00-5E-00-00-01"}) {
        std::vector<std::string> causes = Change("3C-5A-B4-00-00-01", reserved);
        EXPECT_THAT(causes, Each(Not(HasSubstr("ICANN")))) << reserved;
        EXPECT_THAT(causes, Each(Not(HasSubstr("Cisco")))) << reserved;
        EXPECT_THAT(causes, Each(Not(HasSubstr("正常")))) << reserved;
        EXPECT_EQ(causes[0], kLead) << reserved;
    }
}

TEST_F(AlarmExplainerTest, HistoryCluesAreNamedAsPossibilitiesAndNeverExcludePoisoning) {
    AlarmHistory gone;
    gone.oldUnseenFor = std::chrono::minutes(25);
    EXPECT_THAT(
        Change("A4-00-00-00-00-01", "A8-00-00-00-00-02", gone),
        ElementsAre(kLead,
                    "以前のMACアドレスは、監視していた間、どのIPアドレスにも変化の前に25分間見えて"
                    "いませんでした。アドレスが別の機器に割り当て直された（DHCPなど）可能性があり"
                    "ます"));
    AlarmHistory flip;
    flip.flipBack = true;
    flip.otherAddresses = 3;
    EXPECT_THAT(
        Change("A4-00-00-00-00-01", "A8-00-00-00-00-02", flip),
        ElementsAre(kLead,
                    "1分以内に元のMACアドレスに戻りました。どちらが本来のホストかはわかりません。"
                    "ARPポイズニングとその打ち消しが繰り返されている可能性があります",
                    "新しいMACアドレスはほかに3個のIPアドレスでも使われています。攻撃者によるなり"
                    "すまし、またはルーター（プロキシARP）の可能性があります"));
}

// An old MAC that is still in use elsewhere is no evidence of a harmless readdressing; nor is
// an absence the monitor did not watch (the memory leaves it out of oldUnseenFor).
TEST_F(AlarmExplainerTest, ReaddressingIsOfferedOnlyWhenTheOldMacIsGoneEverywhere) {
    AlarmHistory stillElsewhere;
    stillElsewhere.oldUnseenFor = std::chrono::minutes(25);
    stillElsewhere.oldHeldElsewhere = true;
    AlarmHistory tenMinutes;
    tenMinutes.oldUnseenFor = std::chrono::minutes(10);
    for (const AlarmHistory& h : {stillElsewhere, tenMinutes}) {
        EXPECT_THAT(Change("A4-00-00-00-00-01", "A8-00-00-00-00-02", h), ElementsAre(kLead));
    }
    // A flip summary is explained as the changes it counts.
    AlarmHistory flip;
    flip.flipBack = true;
    EXPECT_EQ(explainer.Causes(AlarmFacts{AlarmKind::FlipSummary, Ip("192.168.1.1"), 0,
                                          Mac("A4-00-00-00-00-01"), Mac("A8-00-00-00-00-02")},
                               flip),
              Change("A4-00-00-00-00-01", "A8-00-00-00-00-02", flip));
}

TEST_F(AlarmExplainerTest, DuplicateAndBroadcastAlarmsExplainTheSharedMac) {
    EXPECT_THAT(explainer.Causes(AlarmFacts{AlarmKind::Duplicate, Ip("192.168.1.1"),
                                            Ip("192.168.1.2"), {}, Mac("00-00-5E-00-01-01")},
                                 {}),
                ElementsAre("1つのMACアドレスを複数のIPアドレスが使っています。攻撃者、ルーター（プロ"
                            "キシARP）、または複数のアドレスを持つ機器の可能性があります",
                            "このMACアドレス（00-00-5E-00-01-01）はVRRPまたはCARPの仮想ルーター用に予約"
                            "されたアドレスで、製造者を表しません。仮想ルーターが切り替わってもこのアド"
                            "レスは変わりません"));
    EXPECT_THAT(
        explainer.Causes(AlarmFacts{AlarmKind::Broadcast, Ip("10.0.0.99"), 0, {},
                                    Mac("3C-5A-B4-CC-DD-01")},
                         {}),
        ElementsAre("このPCのMACアドレスを別のIPアドレスが名乗っています。なりすまし、またはこのPC自身の"
                    "別のアドレスの可能性があります",
                    "このMACアドレス（3C-5A-B4-CC-DD-01）はGoogle, Inc.製です（先頭の番号の登録による）"));
    // A MAC that tells nothing of itself gives the general cause alone.
    EXPECT_EQ(explainer
                  .Causes(AlarmFacts{AlarmKind::Duplicate, Ip("10.0.0.1"), Ip("10.0.0.2"), {},
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
