#pragma once

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

// Text from the log made safe to stand inside an HTML cell.
void AppendHtmlEscaped(std::string& out, std::string_view text);

}  // namespace kestrove
