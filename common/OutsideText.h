#pragma once

#include <string>
#include <string_view>

namespace kestrove {

// Text from outside (a mail server's reply, a name from the network) made fit for a log line
// and the system log: valid UTF-8, a malformed byte becoming U+FFFD; no bidirectional
// controls, which could make a line read otherwise than it is written (U+061C, U+200E,
// U+200F, U+202A-U+202E, U+2066-U+2069); every control character (C0, DEL, C1) a blank, so no
// line can be split or forged.
std::string CleanOutsideText(std::string_view text);

}  // namespace kestrove
