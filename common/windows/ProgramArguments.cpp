#include "common/ProgramArguments.h"

// clang-format off: windows.h must come before shellapi.h
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <memory>

#include "common/Utf8Path.h"

namespace kestrove {

// The C runtime's argv holds the arguments in the ANSI code page, which loses every character
// it lacks (a Japanese folder on an English Windows); the wide command line holds them all.
std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    std::unique_ptr<LPWSTR, decltype(&::LocalFree)> wide(
        ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i) {
        args.push_back(PathToUtf8(std::filesystem::path(wide.get()[i])));
    }
    return args;
}

}  // namespace kestrove
