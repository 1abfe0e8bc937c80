#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrove {

// Every file Kestrove reads or writes is CP932 (the Japanese Windows code page), so files
// move between Windows and Linux unchanged. Inside the program all text is UTF-8.

// Decodes CP932 bytes. An invalid or cut byte becomes U+FFFD and decoding goes on with the
// next byte, so one bad byte never swallows the ASCII text after it.
std::string Cp932ToUtf8(std::string_view bytes);

// Encodes UTF-8 text. A character CP932 lacks, or a malformed UTF-8 sequence, becomes "?".
std::string Utf8ToCp932(std::string_view text);

// Length of the longest prefix of CP932 bytes that is at most maxBytes long and does not end
// inside a double-byte character.
std::size_t Cp932PrefixLength(std::string_view bytes, std::size_t maxBytes);

}  // namespace kestrove
