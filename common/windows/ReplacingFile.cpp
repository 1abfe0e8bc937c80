#include "common/ReplacingFile.h"

#include <windows.h>

#include <random>
#include <string>

#include "common/windows/WinFile.h"

namespace kestrove {
namespace win {

std::wstring FreshName(const std::wstring& path) {
    static constexpr wchar_t kLetters[] =
        L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::wstring name = path;
    name += L'.';
    for (int i = 0; i < 10; ++i) {
        name += kLetters[random() % (sizeof kLetters / sizeof kLetters[0] - 1)];
    }
    return name;
}

bool IsReparsePoint(const std::wstring& path) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace win

namespace {

HANDLE HandleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

std::unique_ptr<ReplacingFile> ReplacingFile::Create(const std::filesystem::path& target) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        std::wstring temporary = win::FreshName(target.wstring());
        // CREATE_NEW never opens an existing name, a link or junction included.
        HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            return std::unique_ptr<ReplacingFile>(
                new ReplacingFile(target, temporary, reinterpret_cast<std::intptr_t>(file)));
        }
        DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            return nullptr;
        }
    }
    return nullptr;
}

ReplacingFile::~ReplacingFile() {
    Discard();
}

bool ReplacingFile::Write(std::string_view bytes) {
    if (failed_ || done_ || !win::WriteAll(HandleOf(handle_), bytes)) {
        failed_ = true;
    }
    return !failed_;
}

bool ReplacingFile::CloseHandle() {
    HANDLE file = HandleOf(handle_);
    handle_ = reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE);
    return file == INVALID_HANDLE_VALUE || ::CloseHandle(file) != 0;
}

bool ReplacingFile::Commit() {
    if (done_) {
        return false;
    }
    // A full disk may only show when the file is closed.
    bool ok = CloseHandle() && !failed_ && !win::IsReparsePoint(target_.wstring());
    // MoveFileEx replaces the name itself; a link put there meanwhile is replaced, never
    // written through.
    if (ok && ::MoveFileExW(temporary_.c_str(), target_.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        done_ = true;
        return true;
    }
    Discard();
    return false;
}

void ReplacingFile::Discard() {
    if (done_) {
        return;
    }
    CloseHandle();
    ::DeleteFileW(temporary_.c_str());
    done_ = true;
}

}  // namespace kestrove
