#include "testsupport/windows/WineDebugLog.h"

#include <charconv>

#include "common/Utf8.h"

namespace kestrove::test {
namespace {

bool Hex4(std::string_view text, char32_t& value) {
    unsigned v = 0;
    if (text.size() < 4) {
        return false;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + 4, v, 16);
    value = v;
    return ec == std::errc() && end == text.data() + 4;
}

std::string_view NextField(std::string_view& line, char separator) {
    std::size_t at = line.find(separator);
    std::string_view field = line.substr(0, at);
    line.remove_prefix(at == std::string_view::npos ? line.size() : at + 1);
    return field;
}

}  // namespace

std::vector<WineDebugLine> ParseWineDebugLines(std::string_view text) {
    std::vector<WineDebugLine> lines;
    while (!text.empty()) {
        std::string_view line = NextField(text, '\n');
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        std::string_view thread = NextField(line, ':');
        WineDebugLine parsed;
        auto [end, ec] =
            std::from_chars(thread.data(), thread.data() + thread.size(), parsed.thread, 16);
        if (thread.empty() || ec != std::errc() || end != thread.data() + thread.size()) {
            continue;
        }
        parsed.level = NextField(line, ':');
        parsed.channel = NextField(line, ':');
        parsed.function = NextField(line, ' ');
        parsed.rest = line;
        if (!parsed.level.empty() && !parsed.channel.empty() && !parsed.function.empty()) {
            lines.push_back(std::move(parsed));
        }
    }
    return lines;
}

WineWideString DecodeWineWideString(std::string_view printed) {
    WineWideString out;
    if (printed.substr(0, 2) != "L\"") {
        return out;
    }
    printed.remove_prefix(2);
    char32_t high = 0;  // a lead surrogate waiting for its trail
    while (!printed.empty()) {
        char c = printed.front();
        printed.remove_prefix(1);
        char32_t unit = static_cast<unsigned char>(c);
        if (c == '"') {
            out.cut = printed == "...";
            out.valid = high == 0 && (printed.empty() || out.cut);
            return out;
        }
        if (c == '\\') {
            if (printed.empty()) {
                return out;
            }
            char e = printed.front();
            if (e == 'n' || e == 'r' || e == 't' || e == '\\' || e == '"') {
                unit = e == 'n' ? U'\n' : e == 'r' ? U'\r' : e == 't' ? U'\t' : char32_t(e);
                printed.remove_prefix(1);
            } else if (Hex4(printed, unit)) {
                printed.remove_prefix(4);
            } else {
                return out;
            }
        }
        if (unit >= 0xD800 && unit < 0xDC00) {
            if (high != 0) {
                return out;
            }
            high = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit < 0xE000) {
            if (high == 0) {
                return out;
            }
            unit = 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00);
            high = 0;
        } else if (high != 0) {
            return out;
        }
        AppendUtf8(out.utf8, unit);
    }
    return out;  // no closing quote
}

}  // namespace kestrove::test
