#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace kestrove::win {

// Writes everything, going on after partial writes; WriteFile takes at most 4 GiB at once.
inline bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

// A name beside `path` no one can guess: `path` + "." + random letters.
std::wstring FreshName(const std::wstring& path);

// Whether a link or junction (a reparse point) stands at `path`; false for a plain file or
// folder and when nothing does.
bool IsReparsePoint(const std::wstring& path);

}  // namespace kestrove::win
