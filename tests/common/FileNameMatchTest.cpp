#include "common/FileNameMatch.h"

#include <gtest/gtest.h>

namespace kestrove {
namespace {

// One table for every platform: Linux answers through fnmatch(), Windows through our own
// matcher, and archive patterns must pick the same files on both.
struct MatchCase {
    const char* pattern;
    const char* name;
    bool explicitPeriod;
    bool matches;
};

TEST(FileNameMatch, PatternsMatchAsTheShellDoes) {
    const MatchCase cases[] = {
        {"*", "report.htm", false, true},
        {"*.htm", "Report_2024.htm", false, true},
        {"*.htm", "Report_2024.html", false, false},
        {"*.HTM", "a.htm", false, false},  // case counts
        {"Report_\?\?\?\?-*.htm", "Report_2024-01.htm", false, true},
        {"Report_\?\?\?\?-*.htm", "Report_24-01.htm", false, false},
        {"?", "", false, false},
        {"", "", false, true},
        {"*", "", false, true},
        {"a*b*c", "aXXbYYc", false, true},
        {"a*b*c", "aXXbYY", false, false},
        {"*a*", "bbb", false, false},
        {"[abc].txt", "b.txt", false, true},
        {"[!abc].txt", "b.txt", false, false},
        {"[^abc].txt", "d.txt", false, true},
        {"[a-c]x", "bx", false, true},
        {"[a-c]x", "dx", false, false},
        {"[]]", "]", false, true},
        {"[a-]", "-", false, true},
        {"[", "[", false, true},  // an unclosed bracket is an ordinary character
        {"[ab", "[ab", false, true},
        {"\\*", "*", false, true},
        {"\\*", "a", false, false},
        {"a\\", "a\\", false, false},
        {"*", ".hidden", true, false},
        {"*", ".hidden", false, true},
        {".*", ".hidden", true, true},
        {"?hidden", ".hidden", true, false},
        {"[.]hidden", ".hidden", true, false},
        {"x*", "x.y", true, true},  // only a leading period is special
        {"日本*.htm", "日本語.htm", false, true},
        {"*\xE8\xAA\x9E.htm", "日本語.htm", false, true},
    };
    for (const MatchCase& c : cases) {
        EXPECT_EQ(FileNameMatches(c.pattern, c.name, c.explicitPeriod), c.matches)
            << "pattern \"" << c.pattern << "\" name \"" << c.name << "\" period "
            << c.explicitPeriod;
    }
}

}  // namespace
}  // namespace kestrove
