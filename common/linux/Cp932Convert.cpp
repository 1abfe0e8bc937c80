#include "common/Cp932.h"

#include <iconv.h>
#include <cerrno>
#include <memory>

#include "common/Utf8.h"

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
    return Convert(cd.get(), text, "?", [](const char* p, std::size_t left) {
        return Utf8SkipLength(std::string_view(p, left));
    });
}

}  // namespace kestrove
