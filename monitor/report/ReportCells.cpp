#include "monitor/report/ReportCells.h"

#include <cstdint>

#include "monitor/report/ReportTexts.h"
#include "monitor/report/Utf8Chars.h"

namespace kestrove {
namespace {

constexpr std::size_t kStampChars = 19;
constexpr std::size_t kMacChars = 17;
constexpr std::string_view kArrow = "->";
// The duplicate message is followed by one separator before the MAC.
constexpr std::size_t kCharsAfterDuplicateMessage = 16 - 15;
// The old MAC and one space stand before "->", "-> " before the new MAC.
constexpr std::size_t kCharsBeforeArrow = 18;
constexpr std::size_t kCharsAfterArrowStart = 3;

constexpr auto npos = std::string_view::npos;

// Up to `count` characters from `pos`.
std::string_view Chars(std::string_view text, std::size_t pos, std::size_t count) {
    pos = std::min(pos, text.size());
    return text.substr(pos, SkipChars(text, pos, count) - pos);
}

// The text after the "(" at `open` up to the next ")" found from `closeFrom` (never before the
// "("), or to the end of the line when there is none.
std::string_view Between(std::string_view line, std::size_t open, std::size_t closeFrom) {
    if (open == npos) {
        return {};
    }
    std::size_t close = line.find(')', std::max(closeFrom, open + 1));
    return line.substr(open + 1, close == npos ? npos : close - open - 1);
}

std::string WithoutSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ' ') {
            out += c;
        }
    }
    return out;
}

std::string Escaped(std::string_view text) {
    std::string out;
    AppendHtmlEscaped(out, text);
    return out;
}

}  // namespace

void AppendHtmlEscaped(std::string& out, std::string_view text) {
    // The five characters HTML escapes all lie below 64, so one mask tells them; runs without
    // any go in whole, and most cells have none.
    constexpr std::uint64_t kEscaped =
        (1ull << '&') | (1ull << '<') | (1ull << '>') | (1ull << '"') | (1ull << '\'');
    std::size_t done = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c >= 64 || ((kEscaped >> c) & 1) == 0) {
            continue;
        }
        out.append(text.data() + done, i - done);
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += "&#39;";
        }
        done = i + 1;
    }
    out.append(text.data() + done, text.size() - done);
}

AddressGroups DuplicateGroups(std::string_view line) {
    std::size_t open1 = line.find('(');
    std::size_t close1 = open1 == npos ? npos : line.find(')', open1 + 1);
    std::size_t open2 = open1 == npos ? npos : line.find('(', open1 + 1);
    return {Between(line, open1, open1 + 1),
            close1 == npos ? std::string_view{} : Between(line, open2, close1 + 1)};
}

std::optional<std::string_view> ChangeGroup(std::string_view line) {
    std::size_t open = line.find('(');
    if (open == npos) {
        return std::nullopt;
    }
    return Between(line, open, open + 1);
}

RowCells DuplicateCells(std::string_view line) {
    RowCells cells;
    cells.time = Escaped(Chars(line, 0, kStampChars));

    auto [first, second] = DuplicateGroups(line);
    cells.address = Escaped(WithoutSpaces(first)) + "<BR>&<BR>" + Escaped(WithoutSpaces(second));

    std::size_t message = line.find(kDuplicateMessageTail);
    if (message != npos) {
        std::size_t mac =
            SkipChars(line, message + kDuplicateMessageTail.size(), kCharsAfterDuplicateMessage);
        cells.mac = Escaped(Chars(line, mac, kMacChars));
    }
    return cells;
}

namespace {

// The MAC cell of a change line: the 17 characters on either side of the arrow.
std::string BeforeAndAfter(std::string_view line) {
    std::string_view before;
    std::string_view after;
    std::size_t arrow = line.find(kArrow);
    if (arrow != npos) {
        // The old MAC fills the 17 characters that begin 18 before the arrow; on a line too
        // short for that, only the part of that span that exists is taken.
        std::size_t moved = 0;
        std::size_t start = BackChars(line, arrow, kCharsBeforeArrow, moved);
        std::size_t missing = kCharsBeforeArrow - moved;
        before = missing < kMacChars ? Chars(line, start, kMacChars - missing) : std::string_view{};
        after = Chars(line, SkipChars(line, arrow, kCharsAfterArrowStart), kMacChars);
    }
    return "前：" + Escaped(before) + "<BR>後：" + Escaped(after);
}

}  // namespace

RowCells ChangeCells(std::string_view line) {
    RowCells cells;
    cells.time = Escaped(Chars(line, 0, kStampChars));

    if (std::optional<std::string_view> group = ChangeGroup(line)) {
        std::string address = WithoutSpaces(*group);
        for (char& c : address) {
            if (c == ':') {
                c = '(';
            }
        }
        cells.address = Escaped(address) + ")";
    }
    cells.mac = BeforeAndAfter(line);
    return cells;
}

RowCells Ipv6ChangeCells(std::string_view line) {
    RowCells cells;
    cells.time = Escaped(Chars(line, 0, kStampChars));
    if (std::optional<std::string_view> group = ChangeGroup(line)) {
        std::string address = WithoutSpaces(*group);
        std::size_t colon = address.rfind(':');
        if (colon != std::string::npos) {
            address = address.substr(0, colon) + "(" + address.substr(colon + 1);
        }
        cells.address = Escaped(address) + ")";
    }
    cells.mac = BeforeAndAfter(line);
    return cells;
}

RowCells EventCells(std::string_view line, std::string_view details) {
    RowCells cells;
    cells.time = Escaped(Chars(line, 0, kStampChars));
    cells.address = Escaped(details);
    return cells;
}

}  // namespace kestrove
