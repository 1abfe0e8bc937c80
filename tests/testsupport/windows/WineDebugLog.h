#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrove::test {

// One line of Wine's debug output ("0124:warn:eventlog:ReportEventW L\"...\""), as a program
// run with WINEDEBUG writes it to its Unix stderr.
struct WineDebugLine {
    unsigned long thread = 0;  // the Windows thread id that wrote it
    std::string level;         // "err", "warn", "fixme", "trace"
    std::string channel;
    std::string function;
    std::string rest;  // what follows "function "
};

// The lines of `text` in that form; anything else (a program's own output) is passed over.
std::vector<WineDebugLine> ParseWineDebugLines(std::string_view text);

// A wide string as Wine's debugstr_w prints it (L"..." with \n, \\, \" and \XXXX escapes,
// surrogate pairs as two escapes), decoded to UTF-8. `cut` tells that Wine shortened it ("...").
struct WineWideString {
    bool valid = false;
    std::string utf8;
    bool cut = false;
};
WineWideString DecodeWineWideString(std::string_view printed);

}  // namespace kestrove::test
