#pragma once

#include <string>

namespace kestrove {

// One argument quoted the way CommandLineToArgvW and the C runtime read it back (Wine splits a
// Linux program's command line by the same rules).
std::wstring QuoteArgument(const std::wstring& arg);

}  // namespace kestrove
