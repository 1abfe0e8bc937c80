#include "ReportFixture.h"

#include "common/Cp932.h"

namespace kestrove::test {
namespace {

using ReportDocumentTest = ReportFixture;

constexpr std::string_view kCreated = "<p>作成日時：2007年05月05日 14時03分09秒</p>";
constexpr std::string_view kWholeLogPeriod =
    "<td width='24%' valign='top'>　～　2007/05/05 14:03:09</td>";

TEST_F(ReportDocumentTest, WholeLogWithEveryKindOfLine) {
    WriteLog({kStartLine, kChangeLine, kDuplicateLine, kOwnMacLine, kNamelessChangeLine,
              kDuplicateLine, kMailErrorLine, kEndLine});
    ASSERT_TRUE(builder.MakeReport(Dated(), false, false, "None").Built());

    std::string expected = Document(Concat({
        kExpectedHead,
        {kCreated},
        kExpectedPeriodHead,
        {kWholeLogPeriod, "<td width='76%'>"},
        // The result: the duplicate section, CR LF, the change section.
        {"<p>MACアドレスの重複を検出</p>"},
        kExpectedTableHead,
        {"<tr>", "<td width='30%' align='center'>2007/05/05 09:10:12</td>",
         "<td width='20%' align='center'>192.168.1.5<BR>&<BR>192.168.1.9</td>",
         "<td width='50%' align='center'>00-11-22-33-44-55</td>", "</tr>"},
        {"<tr>", "<td width='30%' align='center'>2007/05/05 09:10:12</td>",
         "<td width='20%' align='center'>192.168.1.5<BR>&<BR>192.168.1.9</td>",
         "<td width='50%' align='center'>00-11-22-33-44-55</td>", "</tr>"},
        {"</table>", "</center>", "</div>"},
        {""},
        {"<p>MACアドレスの変化を検出</p>"},
        kExpectedTableHead,
        {"<tr>", "<td width='30%' align='center'>2007/05/05 09:10:11</td>",
         "<td width='20%' align='center'>192.168.0.5(PC01)</td>",
         "<td width='50%' align='center'>前：00-11-22-33-44-55<BR>後：66-77-88-99-AA-BB</td>",
         "</tr>"},
        {"<tr>", "<td width='30%' align='center'>2007/05/05 09:12:00</td>",
         "<td width='20%' align='center'>192.168.1.1()</td>",
         "<td width='50%' align='center'>前：00-AA-BB-CC-DD-0E<BR>後：00-11-22-33-44-55</td>",
         "</tr>"},
        {"</table>", "</center>", "</div>"},
        {""},  // the section ends with CR LF, and so does the result piece
        kExpectedTail,
    }));
    EXPECT_EQ(WorkingReport(), expected);
    EXPECT_EQ(ReadFile(dir / "report.htm"), Utf8ToCp932(expected));
}

TEST_F(ReportDocumentTest, OneChangeOnlyStartsTheResultWithALineEnd) {
    WriteLog({kStartLine, kChangeLine, kOwnMacLine});
    builder.MakeReport(Dated(), false, false, "None");
    EXPECT_EQ(WorkingReport(),
              Document(Concat({
                  kExpectedHead,
                  {kCreated},
                  kExpectedPeriodHead,
                  {kWholeLogPeriod, "<td width='76%'>", ""},
                  {"<p>MACアドレスの変化を検出</p>"},
                  kExpectedTableHead,
                  {"<tr>", "<td width='30%' align='center'>2007/05/05 09:10:11</td>",
                   "<td width='20%' align='center'>192.168.0.5(PC01)</td>",
                   "<td width='50%' align='center'>前：00-11-22-33-44-55<BR>後：66-77-88-99-AA-BB"
                   "</td>",
                   "</tr>"},
                  {"</table>", "</center>", "</div>"},
                  {""},
                  kExpectedTail,
              })));
}

TEST_F(ReportDocumentTest, DuplicatesOnlyEndTheResultWithALineEnd) {
    WriteLog({kDuplicateLine});
    builder.MakeReport(Dated(), false, false, "None");
    EXPECT_EQ(WorkingReport(),
              Document(Concat({
                  kExpectedHead,
                  {kCreated},
                  kExpectedPeriodHead,
                  {kWholeLogPeriod, "<td width='76%'>"},
                  {"<p>MACアドレスの重複を検出</p>"},
                  kExpectedTableHead,
                  {"<tr>", "<td width='30%' align='center'>2007/05/05 09:10:12</td>",
                   "<td width='20%' align='center'>192.168.1.5<BR>&<BR>192.168.1.9</td>",
                   "<td width='50%' align='center'>00-11-22-33-44-55</td>", "</tr>"},
                  {"</table>", "</center>", "</div>"},
                  {"", ""},  // the CR LF between the sections, an empty change section
                  kExpectedTail,
              })));
}

TEST_F(ReportDocumentTest, NothingToReportSaysSoInTheResultCell) {
    WriteLog({kStartLine, kOwnMacLine, kMailErrorLine, kEndLine});
    builder.MakeReport(Dated(), false, false, "None");
    EXPECT_EQ(WorkingReport(), Document(Concat({
                                   kExpectedHead,
                                   {kCreated},
                                   kExpectedPeriodHead,
                                   {kWholeLogPeriod, "<td width='76%'>", "異常なし"},
                                   kExpectedTail,
                               })));
}

TEST_F(ReportDocumentTest, EmptyLogAndPeriodShowTheStartAndEnd) {
    WriteLogBytes("");
    builder.MakeReport(Dated(), false, false, "Hourly");
    EXPECT_EQ(WorkingReport(),
              Document(Concat({
                  kExpectedHead,
                  {kCreated},
                  kExpectedPeriodHead,
                  {"<td width='24%' valign='top'>2007/05/05 13:03:09　～　2007/05/05 14:03:09</td>",
                   "<td width='76%'>", "異常なし"},
                  kExpectedTail,
              })));
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
