#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrove {

// The three cells of one table row, already HTML-escaped.
struct RowCells {
    std::string time;
    std::string address;
    std::string mac;
};

// Cells of a duplicate line ("... 同一MACアドレスが重複しています<tab>MAC (address) と MAC
// (address)"): the stamp, both addresses without spaces joined by "<BR>&<BR>", and the duplicated
// MAC.
RowCells DuplicateCells(std::string_view line);

// Cells of a change line ("... MACアドレスが変化しました<tab>(address:host) old -> new"): the
// stamp, "address(host)" without spaces, and "前：old<BR>後：new".
RowCells ChangeCells(std::string_view line);

// Cells of an IPv6 change line ("... IPv6アドレスのMACアドレスが変わりました<tab>(address:host)
// old -> new"): like a change line's, but the address is split from the host name at the last
// ":" of the group, as an IPv6 address holds ":" of its own.
RowCells Ipv6ChangeCells(std::string_view line);

// Cells of a router, gateway, address-conflict or first-hop line: the stamp and, in `address`,
// the details (the row has these two cells only).
RowCells EventCells(std::string_view line, std::string_view details);

// The address groups of a line: the text after the first "(" up to the first ")" after it (or
// the end), and for a duplicate line also the text after the second "(" up to the second ")".
// "(" and ")" are below 0x40, never the second byte of a CP932 character, so these work on
// CP932 bytes exactly as on the decoded text.
struct AddressGroups {
    std::string_view first;
    std::string_view second;
};
AddressGroups DuplicateGroups(std::string_view line);
// Nothing when the line has no "(".
std::optional<std::string_view> ChangeGroup(std::string_view line);

// Text from the log made safe to stand inside an HTML cell.
void AppendHtmlEscaped(std::string& out, std::string_view text);

}  // namespace kestrove
