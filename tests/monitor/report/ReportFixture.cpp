#include "ReportFixture.h"

#include "common/Cp932.h"

namespace kestrove::test {

void ReportFixture::WriteLog(const std::vector<std::string_view>& lines) const {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    WriteLogBytes(Utf8ToCp932(text));
}

void ReportFixture::WriteLogBytes(std::string_view bytes) const {
    std::filesystem::create_directories(dir / "log");
    WriteFile(LogPath(), bytes);
}

void ReportFixture::WriteChangeLog(int count) const {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += "2007/05/05 09:10:11\tMACアドレスが変化しました\t(192.168.  0.  5:PC" +
                std::to_string(i) + ") 00-11-22-33-44-55 -> 66-77-88-99-AA-BB\r\n";
    }
    WriteLogBytes(Utf8ToCp932(text));
}

std::string ReportFixture::WorkingReport() const {
    return std::filesystem::exists(dir / "report.htm") ? Cp932ToUtf8(ReadFile(dir / "report.htm"))
                                                       : std::string();
}

std::string Document(const std::vector<std::string_view>& pieces) {
    std::string text;
    for (std::string_view piece : pieces) {
        text += piece;
        text += "\r\n";
    }
    return text + "\r\n";
}

std::vector<std::string_view> Concat(std::initializer_list<std::vector<std::string_view>> lists) {
    std::vector<std::string_view> all;
    for (const auto& list : lists) {
        all.insert(all.end(), list.begin(), list.end());
    }
    return all;
}

const std::vector<std::string_view> kExpectedHead = {
    "<html>",
    "<head>",
    "<meta http-equiv='Content-Language' content='ja'>",
    "<meta http-equiv='Content-Type' content='text/html; charset=shift_jis'>",
    "<title>Kestrove 監視レポート</title>",
    "</head>",
    "<body>",
    "<p><b>Kestrove 監視レポート</b></p>",
};

const std::vector<std::string_view> kExpectedPeriodHead = {
    "<p>監視期間と結果：</p>",
    "<table border='1' cellspacing='1' width='100%'>",
    "<tr>",
    "<td width='24%' align='center'>監視期間</td>",
    "<td width='76%' align='center'>結果</td>",
    "</tr>",
    "<tr>",
};

const std::vector<std::string_view> kExpectedTail = {
    "</td>",
    "</tr>",
    "</table>",
    "<p><b><font size='2'>推奨される対策：</font></b></p>",
    "<p><font size='2'>１．MACアドレスの変化に対して</font></p>",
    "<p><font size='2'>MACアドレスの変化は次のような場合に発生します。</font></p>",
    "<p><font size='2'>（１）盗聴行為が終了するとき</font></p>",
    "<p><font size='2'>&nbsp;&nbsp;&nbsp;",
    "MACアドレスの変化が検出された時刻以降にMACアドレスの重複が検出されない場合は、このケースである"
    "可能性"
    "が高いです。\u3000変化前のMACアドレスを持っているコンピュータの所有者を調査することを推奨しま"
    "す。"
    "</font></p>",
    "<p><font size='2'>（２）盗聴行為が開始されたとき</font></p>",
    "<p><font size='2'>&nbsp;&nbsp;&nbsp;",
    "MACアドレスの変化が検出された時刻以降にMACアドレスの重複も検出されている場合は、このケースであ"
    "る可能"
    "性が高いです。\u3000変化後のMACアドレスを持っているコンピュータの所有者を調査することを推奨し"
    "ます。"
    "</font></p>",
    "<p><font "
    "size='2'>（３）コンピュータのユーザーが意図的にMACアドレス変更を行ったとき</font></p>",
    "<p><font size='2'>&nbsp;&nbsp;&nbsp;",
    "通常ハードウエアで固定されているMACアドレスを変更することは不自然です。\u3000悪意のある行為の"
    "隠蔽を"
    "図っている可能性がありますので、変化前後のMACアドレスを持っているコンピュータの所有者を調査す"
    "ることを"
    "推奨します。</font></p>",
    "<p><font size='2'>２．MACアドレスの重複に対して</font></p>",
    "<p><font size='2'>",
    "MACアドレスの重複は、盗聴者がほかのコンピュータに向けて送信されるデータを受信するために発生す"
    "るもので"
    "す。重複が発生しているMACアドレスを持っているコンピュータの所有者を調査することを推奨します。"
    "</font></p>",
    "</body>",
    "</html>",
};

const std::vector<std::string_view> kExpectedTableHead = {
    "<div align='center'>",
    "<table border='1' cellspacing='0' width='90%' style='border-collapse: collapse' "
    "bordercolor='#111111' cellpadding='0'>",
    "<tr>",
    "<td width='30%' align='center'>日時</td>",
    "<td width='20%' align='center'>IPアドレス</td>",
    "<td width='50%' align='center'>MACアドレス</td>",
    "</tr>",
};

}  // namespace kestrove::test
