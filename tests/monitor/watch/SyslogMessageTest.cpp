#include <gtest/gtest.h>

#include <string>

#include "monitor/watch/SystemLog.h"

namespace kestrove::test {
namespace {

TEST(SyslogMessage, AlarmsAreWarningsOfFacilityUserOnOneLineWithoutTheLogsStamp) {
    struct Case {
        const char* line;
        int priority;
        const char* text;
    } cases[] = {
        {"2007/05/05 14:03:09\tプログラムを開始しました", 14, "プログラムを開始しました"},
        {"2007/05/05 14:03:09\tプログラムを終了しました", 14, "プログラムを終了しました"},
        {"2007/05/05 14:03:09\tMACアドレスが変化しました\t(192.168.  1.  1:evil\nhost) "
         "00-AA-BB-CC-DD-0E -> 00-11-22-33-44-55",
         12,
         "MACアドレスが変化しました (192.168.  1.  1:evil host) 00-AA-BB-CC-DD-0E -> "
         "00-11-22-33-44-55"},
        {"2007/05/05 14:03:09\tレポートメール送信エラー：530", 12, "レポートメール送信エラー：530"},
        {"2007/05/05 14:03:09\tレポートメール送信エラー：550 \xE2\x80\xAEgol.exe \xff", 12,
         "レポートメール送信エラー：550 gol.exe \xEF\xBF\xBD"},
        {"no stamp", 12, "no stamp"},
    };
    for (const Case& c : cases) {
        SyslogMessage m = MakeSyslogMessage(c.line);
        EXPECT_EQ(m.priority, c.priority) << c.line;
        EXPECT_EQ(m.text, c.text);
    }
    SyslogMessage longLine = MakeSyslogMessage(std::string(5000, 'x') + "あ");
    EXPECT_LE(longLine.text.size(), 1900u);
}

}  // namespace
}  // namespace kestrove::test
