#include "monitor/settings/PasswordScrambler.h"

#include <array>
#include <cctype>

namespace kestrove {
namespace {

// Printable ASCII from 33 to 125 without " ' ; = [ ] \, so a stored value never looks like a
// quote, comment, assignment or section header to an INI reader.
constexpr std::array<std::string_view, 128> kCodeTable = {
    "|fPh", "f*-W", "19a>", "t{.V", "QGpv", "!#&T", "iPMw", "qhaB", "ZNU@", "fp5!", "E,>t", "sRsV",
    ",)(l", ":3im", ")_uV", "qxv^", "hDp%", ":Rl#", "<dak", "?dm?", "ddh(", "Hwd+", "bDBf", "-6AA",
    "dQiS", "U$f?", "/Mm^", "(W9(", "YPfo", "3fGM", "2thW", "di5{", "ad6_", "0T8I", "!v6-", "Tk`F",
    "E!oI", "}{EO", "&>QV", "5ZT3", "pvWd", "Vb/M", ")sDi", "rbb5", "j8<,", "{hks", "(FRI", "ySn}",
    "{VD`", "W@|U", "qYh+", "ArIs", "U3A(", "?&XM", "$a>h", "IqM.", "w<pU", "+/rP", "9KvV", "18k^",
    "ato)", "teX*", "v5ad", "`n2<", "?j0W", "D25>", "O#Bc", "l.^-", "B|ag", "6zYT", "Ts}*", ">Jxw",
    "zmJS", "rdEp", "06uU", "AXQ>", "5(4M", "|KU^", "NhaV", "3:)B", "cuD0", "kD?$", "EnSL", "`%@r",
    "cGY0", ">l/?", "z8u#", "5YKm", "NZmP", "n}J1", "x?M3", "!I91", "tuxx", "YZ`>", "#1Y$", "`uBq",
    "#g0x", "&+Cr", "svqc", ":@7{", "Dodr", "26l+", "X>$0", "X90t", "muM?", "gR7p", "!f+M", "1+6?",
    "}&<j", "jr`B", "CHjR", "u0!b", "sz-N", "_:N{", "hAdS", "!:PY", "IYb5", "C2J+", "e/A|", "BB_(",
    "8k$a", "YHOl", "&3?4", "4$5Y", "wCH4", "0dP@", "7JR(", "i!N?",
};

constexpr std::size_t kGroupLength = 4;

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> Scramble(std::string_view text) {
    std::string out;
    out.reserve(text.size() * kGroupLength);
    for (char ch : text) {
        auto code = static_cast<unsigned char>(ch);
        if (code >= kCodeTable.size()) {
            return std::nullopt;
        }
        out += kCodeTable[code];
    }
    return out;
}

std::string Unscramble(std::string_view text) {
    std::string out;
    for (std::size_t pos = 0; pos + kGroupLength <= text.size(); pos += kGroupLength) {
        std::string_view group = text.substr(pos, kGroupLength);
        for (std::size_t code = 0; code < kCodeTable.size(); ++code) {
            if (kCodeTable[code] == group) {
                out += static_cast<char>(code);
                break;
            }
        }
    }
    return out;
}

}  // namespace

std::optional<std::string> ScramblePassword(std::string_view mode, std::string_view text) {
    if (EqualsIgnoreCase(mode, "SET")) {
        return Scramble(text);
    }
    if (EqualsIgnoreCase(mode, "RESET")) {
        return Unscramble(text);
    }
    return std::string();
}

std::string_view PasswordCodeEntry(unsigned char code) {
    return code < kCodeTable.size() ? kCodeTable[code] : std::string_view();
}

}  // namespace kestrove
