#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrove {

enum class LineKind {
    Other,
    Duplicate,
    Change,
    // The IPv6, router and gateway alarms and the first-hop evidence, each a section of its own.
    Ipv6Change,
    Router,
    Gateway,
    AddressConflict,
    FirstHop,
};
inline constexpr int kFirstNetworkKind = static_cast<int>(LineKind::Ipv6Change);
inline constexpr int kNetworkKinds = static_cast<int>(LineKind::FirstHop) - kFirstNetworkKind + 1;

// Where a CP932 log line's message stands: from its 21st character (after the 19-character
// stamp and a tab) up to the next tab or the end of the line.
struct MessageField {
    std::size_t begin = 0;
    std::size_t end = 0;
};

MessageField FindMessageField(std::string_view line);

// A line is a duplicate or change line only when its message field is exactly that alarm's
// message, so text quoted inside another line (a mail server's reply) never makes a row.
LineKind KindOf(std::string_view line, const MessageField& field);

// Appends the table row of a duplicate or change line, as CP932 HTML. Lines of plain ASCII
// around the message are cut in their bytes as they came; any other line is decoded and its
// cells encoded again, which gives the same cells for every line.
void AppendDuplicateRow(std::string& out, std::string_view line, const MessageField& field);
void AppendChangeRow(std::string& out, std::string_view line, const MessageField& field);
// Rows of the IPv6, router and gateway sections: an IPv6 change like a change row (its address
// split from the host name at the last ":"), the others as the time and the line's details.
void AppendNetworkRow(std::string& out, std::string_view line, const MessageField& field,
                      LineKind kind);

}  // namespace kestrove
