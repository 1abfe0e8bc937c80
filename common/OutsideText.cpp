#include "common/OutsideText.h"

#include <optional>

#include "common/Utf8.h"

namespace kestrove {
namespace {

bool IsBidiControl(char32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

bool IsControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

std::string CleanOutsideText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        std::optional<Utf8Character> c = DecodeUtf8Character(text);
        if (!c) {
            AppendUtf8(out, 0xFFFD);
            text.remove_prefix(Utf8SkipLength(text));
            continue;
        }
        if (IsControl(c->codePoint)) {
            out += ' ';
        } else if (!IsBidiControl(c->codePoint)) {
            out.append(text.substr(0, c->length));
        }
        text.remove_prefix(c->length);
    }
    return out;
}

}  // namespace kestrove
