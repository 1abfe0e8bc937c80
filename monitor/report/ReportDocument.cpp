#include "monitor/report/ReportDocument.h"

#include <array>
#include <iterator>
#include <span>

#include "common/Cp932.h"

namespace kestrove {
namespace {

using Pieces = std::span<const std::string_view>;

constexpr std::string_view kCrLf = "\r\n";

constexpr std::string_view kHead[] = {
    "<html>",
    "<head>",
    "<meta http-equiv='Content-Language' content='ja'>",
    "<meta http-equiv='Content-Type' content='text/html; charset=shift_jis'>",
    "<title>Kestrove 監視レポート</title>",
    "</head>",
    "<body>",
    "<p><b>Kestrove 監視レポート</b></p>",
};
constexpr std::string_view kCreatedOpen = "<p>作成日時：";
constexpr std::string_view kCreatedClose = "</p>";
constexpr std::string_view kPeriodTableHead[] = {
    "<p>監視期間と結果：</p>",
    "<table border='1' cellspacing='1' width='100%'>",
    "<tr>",
    "<td width='24%' align='center'>監視期間</td>",
    "<td width='76%' align='center'>結果</td>",
    "</tr>",
    "<tr>",
};
constexpr std::string_view kPeriodCellOpen = "<td width='24%' valign='top'>";
// An ideographic space, a full-width tilde and an ideographic space.
constexpr std::string_view kPeriodSeparator = "　～　";
constexpr std::string_view kCellClose = "</td>";
constexpr std::string_view kResultCellOpen = "<td width='76%'>";
constexpr std::string_view kNoFindings = "異常なし";
constexpr std::string_view kPeriodTableTailAndAdvice[] = {
    "</td>",
    "</tr>",
    "</table>",
    "<p><b><font size='2'>推奨される対策：</font></b></p>",
    "<p><font size='2'>１．MACアドレスの変化に対して</font></p>",
    "<p><font size='2'>MACアドレスの変化は次のような場合に発生します。</font></p>",
    "<p><font size='2'>（１）盗聴行為が終了するとき</font></p>",
    "<p><font size='2'>&nbsp;&nbsp;&nbsp;",
    "MACアドレスの変化が検出された時刻以降にMACアドレスの重複が検出されない場合は、このケースである"
    "可能性が高いです。　変化前のMACアドレスを持っているコンピュータの所有者を調査することを推奨し"
    "ます。"
    "</font></p>",
    "<p><font size='2'>（２）盗聴行為が開始されたとき</font></p>",
    "<p><font size='2'>&nbsp;&nbsp;&nbsp;",
    "MACアドレスの変化が検出された時刻以降にMACアドレスの重複も検出されている場合は、このケースであ"
    "る"
    "可能性が高いです。　変化後のMACアドレスを持っているコンピュータの所有者を調査することを推奨し"
    "ます。"
    "</font></p>",
    "<p><font "
    "size='2'>（３）コンピュータのユーザーが意図的にMACアドレス変更を行ったとき</font></p>",
    "<p><font size='2'>&nbsp;&nbsp;&nbsp;",
    "通常ハードウエアで固定されているMACアドレスを変更することは不自然です。　悪意のある行為の隠蔽"
    "を図って"
    "いる可能性がありますので、変化前後のMACアドレスを持っているコンピュータの所有者を調査すること"
    "を推奨"
    "します。</font></p>",
    "<p><font size='2'>２．MACアドレスの重複に対して</font></p>",
    "<p><font size='2'>",
    "MACアドレスの重複は、盗聴者がほかのコンピュータに向けて送信されるデータを受信するために発生す"
    "るもの"
    "です。重複が発生しているMACアドレスを持っているコンピュータの所有者を調査することを推奨します"
    "。"
    "</font></p>",
    "</body>",
    "</html>",
};

constexpr std::string_view kDupTitle = "<p>MACアドレスの重複を検出</p>";
constexpr std::string_view kChangeTitle = "<p>MACアドレスの変化を検出</p>";
constexpr std::string_view kFindingsTableHead[] = {
    "<div align='center'>",
    "<table border='1' cellspacing='0' width='90%' style='border-collapse: collapse' "
    "bordercolor='#111111' cellpadding='0'>",
    "<tr>",
    "<td width='30%' align='center'>日時</td>",
    "<td width='20%' align='center'>IPアドレス</td>",
    "<td width='50%' align='center'>MACアドレス</td>",
    "</tr>",
};
// Sections of the IPv6, router and gateway alarms, in the order of their LineKind; the IPv6
// change section has the change table's cells, the others the time and the details.
constexpr std::string_view kNetworkTitles[] = {
    "<p>IPv6アドレスのMACアドレスの変化を検出</p>",
    "<p>新しいルーターを検出</p>",
    "<p>デフォルトゲートウェイの変化を検出</p>",
    "<p>このPCのIPv6アドレスの重複を検出</p>",
    "<p>最初の中継点の確認結果</p>",
};
constexpr std::string_view kEventTableHead[] = {
    "<div align='center'>",
    "<table border='1' cellspacing='0' width='90%' style='border-collapse: collapse' "
    "bordercolor='#111111' cellpadding='0'>",
    "<tr>",
    "<td width='30%' align='center'>日時</td>",
    "<td width='70%' align='center'>内容</td>",
    "</tr>",
};
constexpr std::string_view kDetailsCellOpen = "<td width='70%'>";
// "</center>" closes nothing; readers of older reports expect the same markup.
constexpr std::string_view kFindingsTableTail[] = {"</table>", "</center>", "</div>"};

constexpr std::string_view kRowOpen = "<tr>";
constexpr std::string_view kTimeCellOpen = "<td width='30%' align='center'>";
constexpr std::string_view kAddressCellOpen = "<td width='20%' align='center'>";
constexpr std::string_view kMacCellOpen = "<td width='50%' align='center'>";
constexpr std::string_view kRowClose = "</tr>";
constexpr std::string_view kBefore = "前：";
constexpr std::string_view kAfter = "<BR>後：";

std::string Lines(Pieces pieces) {
    std::string text;
    for (std::string_view piece : pieces) {
        text += piece;
        text += kCrLf;
    }
    return text;
}

std::string Line(std::string_view piece) {
    return Lines(Pieces(&piece, 1));
}

// The fixed texts as CP932, each piece followed by CR LF.
struct Cp932Texts {
    std::string head = Utf8ToCp932(Lines(kHead));
    std::string createdOpen = Utf8ToCp932(kCreatedOpen);
    std::string createdCloseAndPeriodHead =
        Utf8ToCp932(Line(kCreatedClose) + Lines(kPeriodTableHead) + std::string(kPeriodCellOpen));
    std::string periodSeparator = Utf8ToCp932(kPeriodSeparator);
    std::string periodCloseAndResultOpen = Utf8ToCp932(Line(kCellClose) + Line(kResultCellOpen));
    std::string noFindings = Utf8ToCp932(kNoFindings);
    std::string dupHead = Utf8ToCp932(Line(kDupTitle) + Lines(kFindingsTableHead));
    std::string changeHead = Utf8ToCp932(Line(kChangeTitle) + Lines(kFindingsTableHead));
    std::string sectionTail = Lines(kFindingsTableTail);
    std::array<std::string, std::size(kNetworkTitles)> networkHeads = [] {
        std::array<std::string, std::size(kNetworkTitles)> heads;
        for (std::size_t i = 0; i < heads.size(); ++i) {
            heads[i] =
                Utf8ToCp932(Line(kNetworkTitles[i]) +
                            Lines(i == 0 ? Pieces(kFindingsTableHead) : Pieces(kEventTableHead)));
        }
        return heads;
    }();
    std::string tail =
        Utf8ToCp932(std::string(kCrLf) + Lines(kPeriodTableTailAndAdvice) + std::string(kCrLf));
    RowMarkup row{
        Line(kRowOpen) + std::string(kTimeCellOpen),
        Line(kCellClose) + std::string(kAddressCellOpen),
        Line(kCellClose) + std::string(kDetailsCellOpen),
        Line(kCellClose) + std::string(kMacCellOpen),
        Line(kCellClose) + Line(kRowClose),
        Utf8ToCp932(kBefore),
        Utf8ToCp932(kAfter),
    };
};

const Cp932Texts& Texts() {
    static const Cp932Texts texts;
    return texts;
}

}  // namespace

void AppendDocumentHead(std::string& out, const ReportHeader& header) {
    const Cp932Texts& texts = Texts();
    out += texts.head;
    out += texts.createdOpen;
    out += Utf8ToCp932(header.created);
    out += texts.createdCloseAndPeriodHead;
    out += Utf8ToCp932(header.periodStart);
    out += texts.periodSeparator;
    out += Utf8ToCp932(header.periodEnd);
    out += texts.periodCloseAndResultOpen;
}

void AppendDuplicateSectionHead(std::string& out) {
    out += Texts().dupHead;
}

void AppendChangeSectionHead(std::string& out) {
    out += Texts().changeHead;
}

void AppendNetworkSectionHead(std::string& out, int kindIndex) {
    out += Texts().networkHeads.at(static_cast<std::size_t>(kindIndex));
}

void AppendSectionTail(std::string& out) {
    out += Texts().sectionTail;
}

void AppendSectionGap(std::string& out) {
    out += kCrLf;
}

void AppendNoFindings(std::string& out) {
    out += Texts().noFindings;
}

void AppendDocumentTail(std::string& out) {
    out += Texts().tail;
}

const RowMarkup& Cp932RowMarkup() {
    return Texts().row;
}

}  // namespace kestrove
