#include "common/Utf8.h"

namespace kestrove {
namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::size_t Utf8SkipLength(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                                                        : 1;
    std::size_t n = 1;
    while (n < length && n < text.size() && IsContinuation(text[n])) {
        ++n;
    }
    return n;
}

std::optional<Utf8Character> DecodeUtf8Character(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) {
        return Utf8Character{lead, 1};
    }
    std::size_t length;
    char32_t cp;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() < length) {
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(text[i])) {
            return std::nullopt;
        }
        cp = (cp << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return std::nullopt;
    }
    return Utf8Character{cp, length};
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace kestrove
