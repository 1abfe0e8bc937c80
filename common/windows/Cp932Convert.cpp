#include "common/Cp932.h"

#include <windows.h>

#include <array>

#include "common/Utf8.h"

// Windows' own code page 932 functions, one character at a time, so that every file comes out
// byte for byte as on Linux (where iconv does the work): an invalid byte is one U+FFFD and
// decoding goes on with the next byte; a character without a CP932 form is one "?".
namespace kestrove {
namespace {

constexpr UINT kCp932 = 932;

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The UTF-16 character of one or two CP932 bytes; nothing when they are no character.
std::optional<std::array<wchar_t, 2>> DecodeOne(std::string_view bytes) {
    std::array<wchar_t, 2> wide{};
    int n = ::MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes.data(),
                                  static_cast<int>(bytes.size()), wide.data(), 2);
    if (n != 1) {
        return std::nullopt;
    }
    return wide;
}

// Bytes that Windows decodes but iconv refuses: the unused single bytes 0x80, 0xA0 and
// 0xFD-0xFF (Windows maps them to U+0080 and private-use characters).
bool RefusedSingleByte(unsigned char b) {
    return b == 0x80 || b == 0xA0 || b >= 0xFD;
}

// Characters that iconv writes in CP932 although Windows has no mapping for them: the JIS
// forms of the yen sign, overline and a few symbols that CP932 holds under other code points.
struct OneWay {
    char32_t codePoint;
    std::string_view bytes;
};
constexpr std::array<OneWay, 9> kOneWay{{
    {0x00A2, "\x81\x91"},
    {0x00A3, "\x81\x92"},
    {0x00A5, "\x5C"},
    {0x00AC, "\x81\xCA"},
    {0x2014, "\x81\x5C"},
    {0x2016, "\x81\x61"},
    {0x203E, "\x7E"},
    {0x2212, "\x81\x7C"},
    {0x301C, "\x81\x60"},
}};

bool EncodeOne(char32_t cp, std::string& out) {
    for (const OneWay& entry : kOneWay) {
        if (entry.codePoint == cp) {
            out += entry.bytes;
            return true;
        }
    }
    if (cp >= 0x10000) {
        return false;  // CP932 has nothing outside the BMP
    }
    wchar_t wide = static_cast<wchar_t>(cp);
    char bytes[4];
    BOOL usedDefault = FALSE;
    int n = ::WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes,
                                  nullptr, &usedDefault);
    // U+0080 and U+F8F0-U+F8F3 would come back as the single bytes iconv refuses.
    if (n <= 0 || usedDefault ||
        (n == 1 && RefusedSingleByte(static_cast<unsigned char>(bytes[0])))) {
        return false;
    }
    out.append(bytes, static_cast<std::size_t>(n));
    return true;
}

void AppendWide(std::string& out, const std::array<wchar_t, 2>& wide) {
    AppendUtf8(out, static_cast<char32_t>(static_cast<std::uint16_t>(wide[0])));
}

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        auto b = static_cast<unsigned char>(bytes[pos]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++pos;
            continue;
        }
        std::optional<std::array<wchar_t, 2>> wide;
        std::size_t width = 1;
        if (IsLeadByte(b)) {
            if (pos + 1 < bytes.size()) {
                width = 2;
                wide = DecodeOne(bytes.substr(pos, 2));
            }
        } else if (!RefusedSingleByte(b)) {
            wide = DecodeOne(bytes.substr(pos, 1));
        }
        if (wide) {
            AppendWide(out, *wide);
            pos += width;
        } else {
            out += "\xEF\xBF\xBD";
            ++pos;  // the byte after a refused lead byte is read again on its own
        }
    }
    return out;
}

std::string Utf8ToCp932(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::optional<Utf8Character> c = DecodeUtf8Character(text.substr(pos));
        if (!c) {
            out += '?';
            pos += Utf8SkipLength(text.substr(pos));
            continue;
        }
        if (!EncodeOne(c->codePoint, out)) {
            out += '?';
        }
        pos += c->length;
    }
    return out;
}

}  // namespace kestrove
