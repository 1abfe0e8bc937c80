#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace kestrove {

// Counting in characters, not bytes, over UTF-8 text: the report cuts its cells and the schedule
// its settings by character positions. Both stop at the ends of the text.

inline bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The position `count` characters after `pos`.
inline std::size_t SkipChars(std::string_view text, std::size_t pos, std::size_t count) {
    while (count > 0 && pos < text.size()) {
        ++pos;
        while (pos < text.size() && IsUtf8Continuation(text[pos])) {
            ++pos;
        }
        --count;
    }
    return pos;
}

// The position up to `count` characters before `pos`; `moved` receives how many there were.
inline std::size_t BackChars(std::string_view text, std::size_t pos, std::size_t count,
                             std::size_t& moved) {
    moved = 0;
    pos = std::min(pos, text.size());
    while (moved < count && pos > 0) {
        --pos;
        while (pos > 0 && IsUtf8Continuation(text[pos])) {
            --pos;
        }
        ++moved;
    }
    return pos;
}

// Length of the longest prefix of at most `maxBytes` bytes that does not end inside a character.
inline std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text.size();
    }
    std::size_t pos = maxBytes;
    while (pos > 0 && IsUtf8Continuation(text[pos])) {
        --pos;
    }
    return pos;
}

}  // namespace kestrove
