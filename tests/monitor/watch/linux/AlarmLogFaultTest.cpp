// The alarm log on a full disk and on a read-only folder: the watch goes on, the alarm stays in
// List1 and blinks the tray, no line is left half written, and lines are written again once the
// disk has room or can be written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

#include "../WatchFixture.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/PrivateMounts.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;
using ::testing::Contains;
using ::testing::HasSubstr;

const std::string kChange = "\tMACアドレスが変化しました\t(192.168.  1.  1:) ";

class AlarmLogFaultTest : public WatchFixture {
protected:
    // The program folder on a small disk of its own, with the settings the fixture had written.
    void PutProgramFolderOnTmpfs(std::size_t bytes) {
        disk.emplace(dir.Path(), bytes);
        settings.WriteIni("Watch", "Change", "1");
        settings.WriteIni("Watch", "Duplicate", "1");
    }

    std::optional<TmpfsMount> disk;
};

TEST_F(AlarmLogFaultTest, FullDiskKeepsTheAlarmInList1AndTheNextLineIsWrittenOnceThereIsRoom) {
    KESTROVE_REQUIRE_ROOT();
    PutProgramFolderOnTmpfs(64 * 1024);
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    engine.StartScanning();
    timers.Advance(3s);
    // A log whose last page has 10 bytes left: an alarm line starts to fit and then does not.
    const std::string earlier(4096 - 10 - 2, 'x');
    std::filesystem::create_directory(dir / "log");
    WriteFile(log.Path(), earlier + "\r\n");
    std::filesystem::path filler = FillDisk(dir.Path());

    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    timers.Advance(2s);
    EXPECT_TRUE(engine.List1().IsRed());
    EXPECT_THAT(List1(), Contains(HasSubstr("MACアドレスが変化しました")));
    EXPECT_EQ(events.blinkStarts, 1);
    EXPECT_EQ(Log(), earlier + "\r\n") << "no part of the line stays behind";

    arp.Replace("192.168.1.1", "00-22-22-22-22-22");
    timers.Advance(2s);
    std::vector<std::string> shown = List1();
    EXPECT_EQ(
        std::count_if(shown.begin(), shown.end(),
                      [](const std::string& l) { return l.ends_with("-> 00-22-22-22-22-22"); }),
        1);
    int readsBefore = arp.reads;
    timers.Advance(5s);
    EXPECT_GE(arp.reads - readsBefore, 4) << "the scan goes on";
    EXPECT_TRUE(engine.Timer1().IsActive());

    std::filesystem::remove(filler);
    arp.Replace("192.168.1.1", "00-AA-BB-CC-DD-0E");
    timers.Advance(2s);
    std::string text = Log();
    ASSERT_TRUE(text.starts_with(earlier + "\r\n"));
    std::string added = text.substr(earlier.size() + 2);
    EXPECT_THAT(added, HasSubstr(kChange + "00-22-22-22-22-22 -> 00-AA-BB-CC-DD-0E\r\n"));
    EXPECT_EQ(std::count(added.begin(), added.end(), '\n'), 1) << added;
}

TEST_F(AlarmLogFaultTest, ReadOnlyFolderLosesNoWatchAndWritingResumesWhenWritable) {
    KESTROVE_REQUIRE_ROOT();
    PutProgramFolderOnTmpfs(256 * 1024);
    arp.Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    arp.Put("192.168.1.20", "00-AA-BB-CC-DD-01");  // this computer's own MAC for another host
    engine.StartScanning();
    disk->SetReadOnly(true);
    timers.Advance(12s);

    EXPECT_THAT(List1(), Contains(HasSubstr("このPCのMACアドレスがブロードキャストされました")));
    EXPECT_FALSE(std::filesystem::exists(dir / "log")) << "no folder could be made";
    arp.Replace("192.168.1.1", "00-11-22-33-44-55");
    timers.Advance(2s);
    EXPECT_THAT(List1(), Contains("  (192.168.  1.  1:) 00-AA-BB-CC-DD-0E -> 00-11-22-33-44-55"));
    // The switches still read, and a write that cannot be made leaves them as they were.
    engine.SetChangeWatch(false);
    EXPECT_EQ(settings.ReadIni("Watch", "Change"), "1");

    disk->SetReadOnly(false);
    arp.Replace("192.168.1.1", "00-AA-BB-CC-DD-0E");
    timers.Advance(2s);
    std::vector<std::string> lines = LogLines();
    ASSERT_EQ(lines.size(), 1u) << Log();
    EXPECT_THAT(lines[0], HasSubstr(kChange + "00-11-22-33-44-55 -> 00-AA-BB-CC-DD-0E"));
    // The own-MAC alarm stands once until a clear; after it the claim is logged afresh.
    timers.Advance(10s);
    EXPECT_EQ(LogLines().size(), 1u);
    engine.Command1_Click();
    timers.Advance(11s);
    EXPECT_THAT(LogLines().back(), HasSubstr("このPCのMACアドレスがブロードキャストされました"));
}

}  // namespace
}  // namespace kestrove::test
