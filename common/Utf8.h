#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrove {

// Bytes to skip past a malformed UTF-8 sequence at the start of `text`: its lead byte and the
// continuation bytes that follow it, so a malformed sequence never swallows the next character.
std::size_t Utf8SkipLength(std::string_view text);

// The well-formed UTF-8 character at the start of `text` (no overlong forms, no surrogates,
// nothing above U+10FFFF) and its length in bytes; nothing when it is malformed or cut.
struct Utf8Character {
    char32_t codePoint;
    std::size_t length;
};
std::optional<Utf8Character> DecodeUtf8Character(std::string_view text);

void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace kestrove
