#include "common/FileNameMatch.h"

#include <fnmatch.h>

#include <string>

namespace kestrove {

bool FileNameMatches(std::string_view pattern, std::string_view name, bool explicitLeadingPeriod) {
    return ::fnmatch(std::string(pattern).c_str(), std::string(name).c_str(),
                     explicitLeadingPeriod ? FNM_PERIOD : 0) == 0;
}

}  // namespace kestrove
