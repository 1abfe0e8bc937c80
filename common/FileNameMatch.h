#pragma once

#include <string_view>

namespace kestrove {

// Shell wildcard match of one name ("*", "?", "[a-z]", "[!x]", backslash escapes), as the
// POSIX fnmatch() without flags. With `explicitLeadingPeriod` a leading "." of the name must be
// matched by a "." of the pattern (hidden files are left out of "*").
bool FileNameMatches(std::string_view pattern, std::string_view name, bool explicitLeadingPeriod);

}  // namespace kestrove
