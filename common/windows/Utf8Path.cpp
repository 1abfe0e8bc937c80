#include "common/Utf8Path.h"

#include <windows.h>

namespace kestrove {

// An invalid UTF-8 byte becomes U+FFFD (and a lone surrogate of a path the system gave us
// becomes U+FFFD on the way back): the conversion never fails.
std::filesystem::path PathFromUtf8(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    int n =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return std::filesystem::path(wide);
}

std::string PathToUtf8(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty()) {
        return {};
    }
    int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                  0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                          nullptr, nullptr);
    return text;
}

std::string GenericPathToUtf8(const std::filesystem::path& path) {
    return PathToUtf8(std::filesystem::path(path.generic_wstring()));
}

}  // namespace kestrove
