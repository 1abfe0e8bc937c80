#include "ReportFixture.h"

#include "common/Cp932.h"

namespace kestrove::test {
namespace {

using ReportDocumentTest = ReportFixture;

constexpr std::string_view kCreated = "<p>作成日時：2007年05月05日 14時03分09秒</p>";
constexpr std::string_view kWholeLogPeriod =
    "<td width='24%' valign='top'>　～　2007/05/05 14:03:09</td>";

const std::vector<std::string_view> kDuplicateRow = {
    "<tr>", "<td width='30%' align='center'>2007/05/05 09:10:12</td>",
    "<td width='20%' align='center'>192.168.1.5<BR>&<BR>192.168.1.9</td>",
    "<td width='50%' align='center'>00-11-22-33-44-55</td>", "</tr>"};
const std::vector<std::string_view> kChangeRow = {
    "<tr>", "<td width='30%' align='center'>2007/05/05 09:10:11</td>",
    "<td width='20%' align='center'>192.168.0.5(PC01)</td>",
    "<td width='50%' align='center'>前：00-11-22-33-44-55<BR>後：66-77-88-99-AA-BB</td>", "</tr>"};
const std::vector<std::string_view> kNamelessChangeRow = {
    "<tr>", "<td width='30%' align='center'>2007/05/05 09:12:00</td>",
    "<td width='20%' align='center'>192.168.1.1()</td>",
    "<td width='50%' align='center'>前：00-AA-BB-CC-DD-0E<BR>後：00-11-22-33-44-55</td>", "</tr>"};
const std::vector<std::string_view> kDuplicateHead = {"<p>MACアドレスの重複を検出</p>"};
const std::vector<std::string_view> kChangeHead = {"<p>MACアドレスの変化を検出</p>"};
const std::vector<std::string_view> kTableEnd = {"</table>", "</center>", "</div>"};

// The whole report for the given period cell and result cell pieces.
std::string Expected(std::string_view period, const std::vector<std::string_view>& result) {
    return Document(Concat({kExpectedHead,
                            {kCreated},
                            kExpectedPeriodHead,
                            {period, "<td width='76%'>"},
                            result,
                            kExpectedTail}));
}

struct DocumentCase {
    const char* name;
    std::vector<std::string_view> log;
    std::vector<std::string_view> result;
};

TEST_F(ReportDocumentTest, WholeLogDocuments) {
    const DocumentCase cases[] = {
        {"every kind of line: the duplicate section, CR LF, the change section",
         {kStartLine, kChangeLine, kDuplicateLine, kOwnMacLine, kNamelessChangeLine, kDuplicateLine,
          kMailErrorLine, kEndLine},
         Concat({kDuplicateHead,
                 kExpectedTableHead,
                 kDuplicateRow,
                 kDuplicateRow,
                 kTableEnd,
                 {""},
                 kChangeHead,
                 kExpectedTableHead,
                 kChangeRow,
                 kNamelessChangeRow,
                 kTableEnd,
                 {""}})},
        {"one change only starts the result with a line end",
         {kStartLine, kChangeLine, kOwnMacLine},
         Concat({{""}, kChangeHead, kExpectedTableHead, kChangeRow, kTableEnd, {""}})},
        {"duplicates only end the result with the line end and an empty change section",
         {kDuplicateLine},
         Concat({kDuplicateHead, kExpectedTableHead, kDuplicateRow, kTableEnd, {"", ""}})},
        {"nothing to report says so",
         {kStartLine, kOwnMacLine, kMailErrorLine, kEndLine},
         {"異常なし"}},
    };
    for (const DocumentCase& c : cases) {
        WriteLog(c.log);
        ASSERT_TRUE(builder.MakeReport(Dated(), false, false, "None").Built()) << c.name;
        std::string expected = Expected(kWholeLogPeriod, c.result);
        EXPECT_EQ(WorkingReport(), expected) << c.name;
        EXPECT_EQ(ReadFile(dir / "report.htm"), Utf8ToCp932(expected)) << c.name;
    }
}

TEST_F(ReportDocumentTest, IpRouterAndGatewayAlarmsEachHaveASectionAfterTheChanges) {
    const std::vector<std::string_view> log = {
        "2007/05/05 09:14:00\tIPv6アドレスのMACアドレスが変わりました\t(fe80::1:gw<1>) "
        "02-00-00-00-00-01 -> 02-00-00-00-00-66",
        "2007/05/05 09:14:01\t最初の中継点を確かめました\t10.0.0.1 が応答しました",
        kChangeLine,
        "2007/05/05 09:15:00\t新しいルーターが現れました\tfe80::66 02-00-00-00-00-66 優先度：高",
        "2007/05/05 09:16:00\tデフォルトゲートウェイが変わりました\tIPv4 10.0.0.1 -> 10.0.0.66",
        "2007/05/05 09:16:30\tゲートウェイのMACアドレスが記憶と違います\t(10.0.0.1:) "
        "02-00-00-00-00-01 -> 02-00-00-00-00-66",
        "2007/05/05 09:17:00\tこのPCのIPv6アドレスがほかの機器に使われています\t2001:db8::10/64",
        // Quoting a message is not raising it.
        "2007/05/05 09:18:00\tレポートメール送信エラー：新しいルーターが現れました",
    };
    const std::vector<std::string_view> eventHead = {
        "<div align='center'>",
        "<table border='1' cellspacing='0' width='90%' style='border-collapse: collapse' "
        "bordercolor='#111111' cellpadding='0'>",
        "<tr>",
        "<td width='30%' align='center'>日時</td>",
        "<td width='70%' align='center'>内容</td>",
        "</tr>"};
    auto eventRow = [](std::string_view time, std::string_view details) {
        return std::vector<std::string_view>{"<tr>", time, details, "</tr>"};
    };
    std::vector<std::string_view> result = Concat(
        {{""},
         kChangeHead,
         kExpectedTableHead,
         kChangeRow,
         kTableEnd,
         {"", "<p>IPv6アドレスのMACアドレスの変化を検出</p>"},
         kExpectedTableHead,
         {"<tr>", "<td width='30%' align='center'>2007/05/05 09:14:00</td>",
          "<td width='20%' align='center'>fe80::1(gw&lt;1&gt;)</td>",
          "<td width='50%' align='center'>前：02-00-00-00-00-01<BR>後：02-00-00-00-00-66</td>",
          "</tr>"},
         kTableEnd,
         {"", "<p>新しいルーターを検出</p>"},
         eventHead,
         eventRow("<td width='30%' align='center'>2007/05/05 09:15:00</td>",
                  "<td width='70%'>fe80::66 02-00-00-00-00-66 優先度：高</td>"),
         kTableEnd,
         {"", "<p>デフォルトゲートウェイの変化を検出</p>"},
         eventHead,
         eventRow("<td width='30%' align='center'>2007/05/05 09:16:00</td>",
                  "<td width='70%'>IPv4 10.0.0.1 -&gt; 10.0.0.66</td>"),
         eventRow("<td width='30%' align='center'>2007/05/05 09:16:30</td>",
                  "<td width='70%'>(10.0.0.1:) 02-00-00-00-00-01 -&gt; 02-00-00-00-00-66</td>"),
         kTableEnd,
         {"", "<p>このPCのIPv6アドレスの重複を検出</p>"},
         eventHead,
         eventRow("<td width='30%' align='center'>2007/05/05 09:17:00</td>",
                  "<td width='70%'>2001:db8::10/64</td>"),
         kTableEnd,
         {"", "<p>最初の中継点の確認結果</p>"},
         eventHead,
         eventRow("<td width='30%' align='center'>2007/05/05 09:14:01</td>",
                  "<td width='70%'>10.0.0.1 が応答しました</td>"),
         kTableEnd,
         {""}});
    WriteLog(log);
    ASSERT_TRUE(builder.MakeReport(Dated(), false, false, "None").Built());
    EXPECT_EQ(WorkingReport(), Expected(kWholeLogPeriod, result));

    // Alone, they still make a report of findings, not "異常なし".
    WriteLog({log[3]});
    ASSERT_TRUE(builder.MakeReport(Dated(), false, false, "None").Built());
    EXPECT_EQ(
        WorkingReport(),
        Expected(kWholeLogPeriod,
                 Concat({{"", "", "<p>新しいルーターを検出</p>"},
                         eventHead,
                         eventRow("<td width='30%' align='center'>2007/05/05 09:15:00</td>",
                                  "<td width='70%'>fe80::66 02-00-00-00-00-66 優先度：高</td>"),
                         kTableEnd,
                         {""}})));
}

TEST_F(ReportDocumentTest, EmptyLogAndPeriodShowTheStartAndEnd) {
    WriteLogBytes("");
    builder.MakeReport(Dated(), false, false, "Hourly");
    EXPECT_EQ(
        WorkingReport(),
        Expected("<td width='24%' valign='top'>2007/05/05 13:03:09　～　2007/05/05 14:03:09</td>",
                 {"異常なし"}));
}

TEST_F(ReportDocumentTest, JapanesePiecesAreWrittenInCp932) {
    WriteLog({kChangeLine});
    builder.MakeReport(Dated(), false, false, "None");
    std::string bytes = ReadFile(dir / "report.htm");
    EXPECT_NE(bytes.find("<title>Kestrove \x8A\xC4\x8E\x8B\x83\x8C\x83\x7C\x81\x5B\x83\x67</title>"
                         "\r\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("'top'>\x81\x40\x81\x60\x81\x40"
                         "2007/05/05 14:03:09</td>\r\n"),
              std::string::npos);
    EXPECT_NE(bytes.find("\x91\x4F\x81\x46"
                         "00-11-22-33-44-55<BR>\x8C\xE3\x81\x46"
                         "66-77-88-99-AA-BB</td>\r\n"),
              std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 11), "</html>\r\n\r\n");

    WriteLog({kStartLine});
    builder.MakeReport(Dated(), false, false, "None");
    EXPECT_NE(ReadFile(dir / "report.htm")
                  .find("<td width='76%'>\r\n\x88\xD9\x8F\xED\x82\xC8\x82\xB5\r\n"),
              std::string::npos);
}

TEST_F(ReportDocumentTest, HostNamesFromTheLogAreEscaped) {
    WriteLog(
        {"2007/05/05 09:10:11\tMACアドレスが変化しました\t(192.168.  0.  5:<script>&'\") "
         "00-11-22-33-44-55 -> 66-77-88-99-AA-BB"});
    builder.MakeReport(Dated(), false, false, "None");
    std::string report = WorkingReport();
    EXPECT_EQ(report.find("<script>"), std::string::npos);
    EXPECT_NE(report.find("<td width='20%' align='center'>192.168.0.5(&lt;script&gt;&amp;&#39;"
                          "&quot;)</td>\r\n"),
              std::string::npos);
}

}  // namespace
}  // namespace kestrove::test
