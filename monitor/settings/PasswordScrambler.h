#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrove {

// The mail password is kept in the settings file in a scrambled form: every ASCII character
// becomes one four-character entry of a fixed table, so a stored value is four times as long as
// the password and can be read back only by a build with the same table.
//
// Mode "SET" scrambles, "RESET" unscrambles (both in any letter case); any other mode gives "".
// SET gives nothing when the text holds a character outside ASCII, which has no table entry.
// RESET never fails: groups of four that match no entry, and a short last group, are dropped.
std::optional<std::string> ScramblePassword(std::string_view mode, std::string_view text);

// The 128 table entries, indexed by character code (exposed for tests of the table's form).
std::string_view PasswordCodeEntry(unsigned char code);

}  // namespace kestrove
