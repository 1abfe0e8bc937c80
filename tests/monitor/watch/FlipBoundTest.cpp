// One address flipping between the same two MACs again and again: its first changes are
// logged in full, the rest counted and summed up once a minute, outside the report's parse.
#include "WatchFixture.h"
#include "common/Cp932.h"
#include "monitor/report/ReportRows.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

const std::string kX = "00-AA-BB-CC-DD-0E";
const std::string kY = "00-11-22-33-44-55";
const std::string kSummary = "\tMACアドレスの切り替わりを集計しました\t(192.168.  1.  1:) ";

class FlipBoundTest : public WatchFixture {
protected:
    FlipBoundTest() {
        arp.Put("192.168.1.1", kX);
        Scan();
    }
    // `count` changes of 192.168.1.1, 100 ms apart, each heard on its own.
    void Flip(int count, const std::string& first, const std::string& second) {
        for (int i = 0; i < count; ++i) {
            clock.Advance(100ms);
            source.Announce("192.168.1.1", i % 2 == 0 ? first : second);
            engine.HearNeighbours(source);
        }
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        for (const std::string& line : LogLines()) {
            messages.push_back(line.substr(20, line.find('\t', 20) - 20));
        }
        return messages;
    }

    FakeNeighbourEvents source;
};

TEST_F(FlipBoundTest, FirstTenChangesInFullThenOneCountedLineAMinute) {
    Flip(25, kY, kX);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[9].substr(19),
              "\tMACアドレスが変化しました\t(192.168.  1.  1:) " + kY + " -> " + kX)
        << "the tenth change, back to X";
    EXPECT_EQ(events.immediateRequests, 10);
    EXPECT_EQ(List1().size(), 20u);

    // The first counted change came at 14:03:10.1.
    timers.Advance(58s);
    EXPECT_EQ(LogLines().size(), 10u);
    timers.Advance(1s);
    lines = LogLines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[10], "2007/05/05 14:04:10" + kSummary + kX + " <-> " + kY + " 15回");
    EXPECT_EQ(List1()[21], "  (192.168.  1.  1:) " + kX + " <-> " + kY + " 15回");
    EXPECT_EQ(events.immediateRequests, 10) << "the report leaves these lines out";

    // Still flipping: counted again, one line a minute.
    Flip(4, kX, kY);
    timers.Advance(60s);
    EXPECT_EQ(LogLines().back().substr(19), kSummary + kX + " <-> " + kY + " 4回");
    EXPECT_EQ(LogLines().size(), 12u);
}

TEST_F(FlipBoundTest, AThirdMacOrAQuietMinuteEndsTheRunAndEveryChangeIsLoggedAgain) {
    Flip(13, kY, kX);  // 10 in full, 3 counted; it holds Y now
    source.Announce("192.168.1.1", "02-00-00-00-00-99");
    engine.HearNeighbours(source);
    EXPECT_EQ(Messages().back(), "MACアドレスが変化しました");
    ASSERT_EQ(LogLines().size(), 12u);
    EXPECT_EQ(LogLines()[10].substr(19), kSummary + kX + " <-> " + kY + " 3回")
        << "the count comes before the change that ended the run";

    timers.Advance(61s);
    EXPECT_EQ(LogLines().size(), 12u) << "nothing was left to sum up";
    Flip(10, kY, "02-00-00-00-00-99");
    EXPECT_EQ(LogLines().size(), 22u) << "a new run after a quiet minute, in full";
}

TEST_F(FlipBoundTest, CountedChangesReachTheLogBeforeAClearAndTheEndLine) {
    Flip(12, kY, kX);
    engine.Command1_Click();
    EXPECT_EQ(LogLines().back().substr(19), kSummary + kY + " <-> " + kX + " 2回");
    EXPECT_FALSE(engine.TallyTimer().IsActive());

    arp.Replace("192.168.1.1", kX);
    Scan();
    Flip(11, kY, kX);
    engine.WriteEndLine();
    std::vector<std::string> messages = Messages();
    ASSERT_GE(messages.size(), 3u);
    EXPECT_THAT(std::vector(messages.end() - 3, messages.end()),
                ElementsAre("MACアドレスが変化しました", "MACアドレスの切り替わりを集計しました",
                            "プログラムを終了しました"));
}

TEST_F(FlipBoundTest, TheSummaryLineIsNoRowOfTheReport) {
    Flip(11, kY, kX);
    engine.WriteEndLine();
    for (const std::string& line : LogLines()) {
        std::string bytes = Utf8ToCp932(line);
        LineKind kind = KindOf(bytes, FindMessageField(bytes));
        EXPECT_EQ(kind, line.find("変化しました") != std::string::npos ? LineKind::Change
                                                                       : LineKind::Other)
            << line;
    }
}

}  // namespace
}  // namespace kestrove::test
