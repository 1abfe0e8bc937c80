#include "common/Cp932.h"

#include <iconv.h>
#include <cerrno>
#include <memory>

namespace kestrove {
namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const { iconv_close(cd); }
};
using IconvHandle = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

IconvHandle Open(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return nullptr;
    }
    return IconvHandle(cd);
}

// Bytes to skip past a UTF-8 sequence iconv refused: its lead byte and the continuation bytes
// that follow it, so that a malformed sequence never swallows the next character.
std::size_t Utf8SkipLength(const char* p, std::size_t left) {
    auto lead = static_cast<unsigned char>(p[0]);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                                                        : 1;
    std::size_t n = 1;
    while (n < length && n < left && (static_cast<unsigned char>(p[n]) & 0xC0) == 0x80) {
        ++n;
    }
    return n;
}

// Converts in steps; on a byte iconv refuses, appends the replacement and skips
// `skip(position, bytesLeft)` bytes of input.
template <typename Skip>
std::string Convert(iconv_t cd, std::string_view in, std::string_view replacement, Skip skip) {
    std::string out;
    out.resize(in.size() * 3 / 2 + 16);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t outUsed = 0;
    while (true) {
        char* outPtr = out.data() + outUsed;
        std::size_t outLeft = out.size() - outUsed;
        std::size_t rc = inLeft == 0 ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                     : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        outUsed = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) {
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2 + 16);
            continue;
        }
        // EILSEQ or EINVAL (a sequence cut at the end): replace and go on.
        std::size_t n = std::min(skip(inPtr, inLeft), inLeft);
        inPtr += n;
        inLeft -= n;
        out.resize(std::max(out.size(), outUsed + replacement.size() + 16));
        out.replace(outUsed, replacement.size(), replacement);
        outUsed += replacement.size();
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(outUsed);
    return out;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes) {
    IconvHandle cd = Open("UTF-8", "CP932");
    if (!cd) {
        return std::string(bytes);
    }
    return Convert(cd.get(), bytes, "\xEF\xBF\xBD",
                   [](const char*, std::size_t) { return std::size_t{1}; });
}

std::string Utf8ToCp932(std::string_view text) {
    IconvHandle cd = Open("CP932", "UTF-8");
    if (!cd) {
        return std::string(text);
    }
    return Convert(cd.get(), text, "?", Utf8SkipLength);
}

std::size_t Cp932PrefixLength(std::string_view bytes, std::size_t maxBytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        auto b = static_cast<unsigned char>(bytes[pos]);
        bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        std::size_t width = lead && pos + 1 < bytes.size() ? 2 : 1;
        if (pos + width > maxBytes) {
            break;
        }
        pos += width;
    }
    return pos;
}

}  // namespace kestrove
