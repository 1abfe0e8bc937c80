#include "common/OutsideText.h"

#include <gtest/gtest.h>

namespace kestrove::test {
namespace {

TEST(OutsideText, IsValidUtf8WithoutBidiOrControlCharactersAndKeepsEverythingElse) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"550 メールボックスがいっぱいです", "550 メールボックスがいっぱいです"},
        // U+202E RIGHT-TO-LEFT OVERRIDE, U+2066..2069 isolates, U+200E/F marks, U+061C.
        {"a\xE2\x80\xAE"
         "exe.txt",
         "aexe.txt"},
        {"\xE2\x81\xA6x\xE2\x81\xA9\xE2\x80\x8Ey\xE2\x80\x8F\xD8\x9Cz", "xyz"},
        {"line\r\nforged\tfield\x7f", "line  forged field "},
        {"c1\xC2\x85"
         "end",
         "c1 end"},
        // Malformed: a stray continuation, an overlong slash, a surrogate, a cut lead byte.
        {"\x80x", "\xEF\xBF\xBDx"},
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"\xED\xA0\x80z", "\xEF\xBF\xBDz"},
        {"end\xE3\x81", "end\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CleanOutsideText(c.in), c.out) << c.in;
    }
}

}  // namespace
}  // namespace kestrove::test
