#include "monitor/report/ReportRows.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "common/Cp932.h"
#include "monitor/report/ReportCells.h"
#include "monitor/report/ReportDocument.h"
#include "monitor/report/RowBytes.h"
#include "monitor/watch/NetworkTexts.h"
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
// Between the two addresses of a duplicate row.
constexpr std::string_view kDuplicateJoin = "<BR>&<BR>";

bool IsCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool IsAscii(std::string_view bytes) {
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        any |= word;
    }
    for (; i < bytes.size(); ++i) {
        any |= static_cast<unsigned char>(bytes[i]);
    }
    return (any & 0x8080808080808080ull) == 0;
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

struct NetworkMessage {
    std::string text;
    LineKind kind;
};

const std::vector<NetworkMessage>& NetworkMessages() {
    static const std::vector<NetworkMessage> messages{
        {Utf8ToCp932(kIpv6ChangeMessage), LineKind::Ipv6Change},
        {Utf8ToCp932(kRouterMessage), LineKind::Router},
        {Utf8ToCp932(kGatewayMessage), LineKind::Gateway},
        {Utf8ToCp932(kGatewayMacMessage), LineKind::Gateway},
        {Utf8ToCp932(kDadMessage), LineKind::AddressConflict},
        {Utf8ToCp932(kFirstHopMessage), LineKind::FirstHop},
    };
    return messages;
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
    MessageField field;
    // Nearly every line begins with an ASCII stamp and tab: then the message starts at once.
    if (line.size() >= kMessageChars && IsAscii(line.substr(0, kMessageChars))) {
        field.begin = kMessageChars;
        const void* tab =
            std::memchr(line.data() + kMessageChars, '\t', line.size() - kMessageChars);
        field.end = tab ? static_cast<std::size_t>(static_cast<const char*>(tab) - line.data())
                        : line.size();
        return field;
    }
    std::size_t pos = 0;
    for (std::size_t chars = 0; chars < kMessageChars && pos < line.size(); ++chars) {
        pos += IsCp932Lead(static_cast<unsigned char>(line[pos])) && pos + 1 < line.size() ? 2 : 1;
    }
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
    for (const NetworkMessage& m : NetworkMessages()) {
        if (message == m.text) {
            return m.kind;
        }
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
    std::string_view mac = From(separatorAndMac, 1, kMacChars);
    const RowMarkup& markup = Cp932RowMarkup();
    RowBytes row;
    row.Reserve(markup.Bytes() + kDuplicateJoin.size() +
                RowBytes::kEscapedBytesPerByte *
                    (kStampChars + first.size() + second.size() + mac.size()));
    row.Put(markup.open);
    row.PutEscaped(line.substr(0, kStampChars));
    row.Put(markup.timeToAddress);
    row.PutEscaped<true>(first);
    row.Put(kDuplicateJoin);
    row.PutEscaped<true>(second);
    row.Put(markup.addressToMac);
    row.PutEscaped(mac);
    row.Put(markup.close);
    out += row.View();
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
    std::string_view oldMac = arrow == npos ? std::string_view{} : macs.substr(0, kMacChars);
    std::string_view newMac =
        arrow == npos ? std::string_view{}
                      : From(macs, kCharsBeforeArrow + kCharsAfterArrowStart, kMacChars);
    const RowMarkup& markup = Cp932RowMarkup();
    RowBytes row;
    row.Reserve(markup.Bytes() + 1 +
                RowBytes::kEscapedBytesPerByte *
                    (kStampChars + (group ? group->size() : 0) + oldMac.size() + newMac.size()));
    row.Put(markup.open);
    row.PutEscaped(line.substr(0, kStampChars));
    row.Put(markup.timeToAddress);
    if (group) {
        row.PutEscaped<true, true>(*group);
        row.Put(')');
    }
    row.Put(markup.addressToMac);
    row.Put(markup.before);
    row.PutEscaped(oldMac);
    row.Put(markup.after);
    row.PutEscaped(newMac);
    row.Put(markup.close);
    out += row.View();
}

}  // namespace kestrove

namespace kestrove {

void AppendNetworkRow(std::string& out, std::string_view line, const MessageField& field,
                      LineKind kind) {
    std::string text = Cp932ToUtf8(line);
    if (kind == LineKind::Ipv6Change) {
        AppendCells(out, Ipv6ChangeCells(text));
        return;
    }
    // The details follow the message and its tab.
    std::string_view details =
        field.end < line.size() ? line.substr(field.end + 1) : std::string_view{};
    RowCells cells = EventCells(text, Cp932ToUtf8(details));
    const RowMarkup& markup = Cp932RowMarkup();
    out += markup.open;
    out += Utf8ToCp932(cells.time);
    out += markup.timeToDetails;
    out += Utf8ToCp932(cells.address);
    out += markup.close;
}

}  // namespace kestrove
