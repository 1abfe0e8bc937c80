// The CP932 converters every file goes through. Decoding never fails: any bytes give
// well-formed UTF-8, and a bad byte never swallows the line end after it. Encoding what was
// decoded is stable: a second round gives the same bytes as the first.
#include <algorithm>
#include <string>

#include "common/Cp932.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace kestrove;
    using namespace kestrove::fuzz;
    std::string_view bytes = AsText(data, size);

    std::string text = Cp932ToUtf8(bytes);
    FUZZ_CHECK(IsValidUtf8(text));
    FUZZ_CHECK(text.size() <= 3 * bytes.size());
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; })) {
        FUZZ_CHECK(text == bytes);  // ASCII is ASCII
    }
    FUZZ_CHECK(Cp932ToUtf8(std::string(bytes) + "\r\nOK").ends_with("\r\nOK"));

    std::string encoded = Utf8ToCp932(text);
    FUZZ_CHECK(Utf8ToCp932(Cp932ToUtf8(encoded)) == encoded);

    // The same bytes taken as UTF-8 that may be malformed, as a hand-edited setting might be.
    std::string asText = Utf8ToCp932(bytes);
    FUZZ_CHECK(asText.size() <= bytes.size());
    FUZZ_CHECK(Utf8ToCp932(Cp932ToUtf8(asText)) == asText);

    for (std::size_t limit : {std::size_t{0}, size / 2, std::size_t{1023}}) {
        std::size_t cut = Cp932PrefixLength(bytes, limit);
        FUZZ_CHECK(cut <= limit && cut <= size);
        FUZZ_CHECK(cut + 1 >= std::min(limit, size));
    }
    return 0;
}
