#include "monitor/report/ReportRows.h"

#include <algorithm>

#include "common/Cp932.h"
#include "monitor/report/ReportCells.h"
#include "monitor/report/ReportDocument.h"
#include "monitor/watch/WatchTexts.h"

namespace kestrove {
namespace {

constexpr auto npos = std::string_view::npos;
constexpr std::size_t kStampChars = 19;
constexpr std::size_t kMessageChars = 20;  // the stamp and the tab before the message
constexpr std::size_t kMacChars = 17;
// The old MAC and one space stand before "->", "-> " before the new MAC.
constexpr std::size_t kCharsBeforeArrow = 18;
constexpr std::size_t kCharsAfterArrowStart = 3;

bool IsCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsAscii(std::string_view bytes) {
    unsigned char any = 0;
    for (char c : bytes) {
        any |= static_cast<unsigned char>(c);
    }
    return any < 0x80;
}

// A cell may be cut from the line's bytes as they came when the bytes it is made of are ASCII
// (so they convert to themselves) and its character counts run over ASCII bytes only, starting
// where a character starts. Other lines take the way through the decoded text.
bool StartsCharacter(std::string_view line, std::size_t pos, const MessageField& field) {
    return pos == field.end || pos == 0 || static_cast<unsigned char>(line[pos - 1]) < 0x80;
}

bool HasPlainStamp(std::string_view line, const MessageField& field) {
    return field.begin == kMessageChars && IsAscii(line.substr(0, field.begin));
}

// The alarm log's message texts as the log holds them.
const std::string& DuplicateMessage() {
    static const std::string text = Utf8ToCp932(kDuplicateMessage);
    return text;
}

const std::string& ChangeMessage() {
    static const std::string text = Utf8ToCp932(kChangeMessage);
    return text;
}

// " ", ":" and the characters HTML escapes are below 0x40 as well: spaces are dropped and
// colons changed in CP932 as in the decoded text.
void AppendWithoutSpaces(std::string& out, std::string_view text, bool colonAsParen) {
    std::size_t mark = out.size();
    std::size_t done = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ') {
            AppendHtmlEscaped(out, text.substr(done, i - done));
            done = i + 1;
        }
    }
    AppendHtmlEscaped(out, text.substr(done));
    if (colonAsParen) {
        std::replace(out.begin() + static_cast<std::ptrdiff_t>(mark), out.end(), ':', '(');
    }
}

// The first "->": found by its ">", which is rarer in a log line than "-".
std::size_t FindArrow(std::string_view line) {
    for (std::size_t pos = line.find('>', 1); pos != npos; pos = line.find('>', pos + 1)) {
        if (line[pos - 1] == '-') {
            return pos - 1;
        }
    }
    return npos;
}

std::string_view From(std::string_view line, std::size_t pos, std::size_t count) {
    return line.substr(std::min(pos, line.size()), count);
}

void AppendCells(std::string& out, const RowCells& cells) {
    const RowMarkup& markup = Cp932RowMarkup();
    out += markup.open;
    out += Utf8ToCp932(cells.time);
    out += markup.timeToAddress;
    out += Utf8ToCp932(cells.address);
    out += markup.addressToMac;
    out += Utf8ToCp932(cells.mac);
    out += markup.close;
}

}  // namespace

MessageField FindMessageField(std::string_view line) {
    std::size_t pos = 0;
    for (std::size_t chars = 0; chars < kMessageChars && pos < line.size(); ++chars) {
        pos += IsCp932Lead(static_cast<unsigned char>(line[pos])) && pos + 1 < line.size() ? 2 : 1;
    }
    MessageField field;
    field.begin = pos;
    field.end = std::min(line.find('\t', pos), line.size());
    return field;
}

LineKind KindOf(std::string_view line, const MessageField& field) {
    std::string_view message = line.substr(field.begin, field.end - field.begin);
    if (message == DuplicateMessage()) {
        return LineKind::Duplicate;
    }
    if (message == ChangeMessage()) {
        return LineKind::Change;
    }
    return LineKind::Other;
}

void AppendDuplicateRow(std::string& out, std::string_view line, const MessageField& field) {
    auto [first, second] = DuplicateGroups(line);
    // The message ends with the duplicate text; one separator follows, then the MAC.
    std::string_view separatorAndMac = From(line, field.end, 1 + kMacChars);
    if (!HasPlainStamp(line, field) || !IsAscii(first) || !IsAscii(second) ||
        !IsAscii(separatorAndMac)) {
        AppendCells(out, DuplicateCells(Cp932ToUtf8(line)));
        return;
    }
    const RowMarkup& markup = Cp932RowMarkup();
    out += markup.open;
    AppendHtmlEscaped(out, line.substr(0, kStampChars));
    out += markup.timeToAddress;
    AppendWithoutSpaces(out, first, false);
    out += "<BR>&<BR>";
    AppendWithoutSpaces(out, second, false);
    out += markup.addressToMac;
    AppendHtmlEscaped(out, From(separatorAndMac, 1, kMacChars));
    out += markup.close;
}

void AppendChangeRow(std::string& out, std::string_view line, const MessageField& field) {
    std::optional<std::string_view> group = ChangeGroup(line);
    std::size_t arrow = FindArrow(line);
    // The old MAC is counted back from the arrow, the new one forward; both counts must stay
    // after the message.
    std::size_t macsStart = arrow == npos ? 0 : arrow - std::min(arrow, kCharsBeforeArrow);
    std::string_view macs =
        arrow == npos
            ? std::string_view{}
            : From(line, macsStart, kCharsBeforeArrow + kCharsAfterArrowStart + kMacChars);
    bool plain =
        HasPlainStamp(line, field) && (!group || IsAscii(*group)) &&
        (arrow == npos || (macsStart >= field.end && arrow - macsStart == kCharsBeforeArrow &&
                           IsAscii(macs) && StartsCharacter(line, macsStart, field)));
    if (!plain) {
        AppendCells(out, ChangeCells(Cp932ToUtf8(line)));
        return;
    }
    const RowMarkup& markup = Cp932RowMarkup();
    out += markup.open;
    AppendHtmlEscaped(out, line.substr(0, kStampChars));
    out += markup.timeToAddress;
    if (group) {
        AppendWithoutSpaces(out, *group, true);
        out += ')';
    }
    out += markup.addressToMac;
    out += markup.before;
    if (arrow != npos) {
        AppendHtmlEscaped(out, macs.substr(0, kMacChars));
    }
    out += markup.after;
    if (arrow != npos) {
        AppendHtmlEscaped(out, From(macs, kCharsBeforeArrow + kCharsAfterArrowStart, kMacChars));
    }
    out += markup.close;
}

}  // namespace kestrove
