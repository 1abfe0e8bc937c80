#include "common/ScratchFile.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "common/windows/WinFile.h"

namespace kestrove {
namespace {

HANDLE HandleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

}  // namespace

std::unique_ptr<ScratchFile> ScratchFile::Create(const std::filesystem::path& folder) {
    // Windows cannot drop a file's name while it is open. No sharing keeps every other opener
    // out while it lives, and the name goes with the last handle, also when the program dies.
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::wstring name = win::FreshName((folder / L"scratch").wstring());
        HANDLE file =
            ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN |
                              FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
                          nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            return std::unique_ptr<ScratchFile>(
                new ScratchFile(reinterpret_cast<std::intptr_t>(file)));
        }
        DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return nullptr;
        }
    }
    return nullptr;
}

ScratchFile::~ScratchFile() {
    ::CloseHandle(HandleOf(handle_));
}

bool ScratchFile::Write(std::string_view bytes) {
    // Written at the end of what counts, so the rest of a failed write is never read back.
    std::uint64_t at = size_;
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 1u << 30 ? 1u << 30 : static_cast<DWORD>(bytes.size());
        OVERLAPPED where = At(at);
        DWORD written = 0;
        if (!::WriteFile(HandleOf(handle_), bytes.data(), chunk, &written, &where) ||
            written == 0) {
            return false;
        }
        at += written;
        bytes.remove_prefix(written);
    }
    size_ = at;
    return true;
}

bool ScratchFile::ReadAll(const std::function<bool(std::string_view)>& sink) {
    constexpr std::size_t kBlock = 1 << 20;
    auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    for (std::uint64_t at = 0; at < size_;) {
        auto want = static_cast<DWORD>(std::min<std::uint64_t>(kBlock, size_ - at));
        OVERLAPPED where = At(at);
        DWORD n = 0;
        if (!::ReadFile(HandleOf(handle_), block.get(), want, &n, &where) || n == 0) {
            return false;
        }
        at += n;
        if (!sink(std::string_view(block.get(), n))) {
            return false;
        }
    }
    return true;
}

bool ScratchFile::Clear() {
    size_ = 0;
    LARGE_INTEGER start{};
    return ::SetFilePointerEx(HandleOf(handle_), start, nullptr, FILE_BEGIN) &&
           ::SetEndOfFile(HandleOf(handle_));
}

}  // namespace kestrove
