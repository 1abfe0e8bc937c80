// ScramblePassword: "RESET" on whatever stands in the settings file never fails and gives only
// characters the table holds, each from one whole group of the stored text; "SET" then "RESET"
// gives any ASCII password back, stored in characters an INI reader takes for plain text.
#include <string>

#include "fuzz/FuzzSupport.h"
#include "monitor/settings/PasswordScrambler.h"

namespace {

// The mode in the letter case the first byte picks: the mode is compared without regard to it.
std::string Mode(std::string_view mode, unsigned char pick) {
    std::string out(mode);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if ((pick >> (i % 8)) & 1) {
            out[i] = static_cast<char>(out[i] - 'A' + 'a');
        }
    }
    return out;
}

// Whether `plain` is made of the 4-character groups of `stored`, in order, with groups that
// give nothing between them.
bool FromWholeGroups(std::string_view plain, std::string_view stored) {
    std::size_t group = 0;
    for (char c : plain) {
        std::string_view entry = kestrove::PasswordCodeEntry(static_cast<unsigned char>(c));
        while (group + 4 <= stored.size() && stored.substr(group, 4) != entry) {
            group += 4;
        }
        if (group + 4 > stored.size()) {
            return false;
        }
        group += 4;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace kestrove;
    using namespace kestrove::fuzz;
    if (size == 0) {
        return 0;
    }
    unsigned char pick = data[0];
    std::string_view text = AsText(data + 1, size - 1);

    std::optional<std::string> plain = ScramblePassword(Mode("RESET", pick), text);
    FUZZ_CHECK(plain.has_value());
    FUZZ_CHECK(plain->size() <= text.size() / 4);
    for (char c : *plain) {
        FUZZ_CHECK(static_cast<unsigned char>(c) < 0x80);
    }
    FUZZ_CHECK(FromWholeGroups(*plain, text));

    std::string ascii(text);
    bool wasAscii = true;
    for (char& c : ascii) {
        wasAscii = wasAscii && static_cast<unsigned char>(c) < 0x80;
        c = static_cast<char>(c & 0x7F);
    }
    std::optional<std::string> stored = ScramblePassword(Mode("SET", pick), ascii);
    FUZZ_CHECK(stored.has_value() && stored->size() == 4 * ascii.size());
    for (char c : *stored) {
        FUZZ_CHECK(c >= 33 && c <= 125 &&
                   std::string_view("\"';=[]\\").find(c) == std::string_view::npos);
    }
    FUZZ_CHECK(ScramblePassword(Mode("RESET", pick), *stored) == ascii);
    FUZZ_CHECK(ScramblePassword("SET", text).has_value() == wasAscii);
    FUZZ_CHECK(ScramblePassword(Mode("SETX", pick), text) == std::string());
    return 0;
}
