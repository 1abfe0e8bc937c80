#include "common/FileBytes.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "common/windows/WinFile.h"
#include "common/windows/WinHandle.h"

namespace kestrove {
namespace {

FileReadResult ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                               DWORD extraFlags) {
    FileReadResult result;
    WinHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | extraFlags, nullptr));
    if (!file) {
        DWORD error = ::GetLastError();
        bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        result.status = missing ? FileReadStatus::Missing : FileReadStatus::Error;
        return result;
    }
    // Only a file on disk: a pipe, console or device name in the file's place is refused, and
    // so is a link or junction opened as itself.
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(file.Get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return result;
    }
    std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    if (size > maxBytes) {
        result.status = FileReadStatus::TooLarge;
        return result;
    }
    result.bytes.reserve(static_cast<std::size_t>(size));
    char buf[65536];
    while (true) {
        DWORD n = 0;
        if (!::ReadFile(file.Get(), buf, sizeof buf, &n, nullptr)) {
            result.bytes.clear();
            return result;
        }
        if (n == 0) {
            break;
        }
        // A file that grew meanwhile is read on to its end, up to the limit.
        if (result.bytes.size() + n > maxBytes) {
            result.bytes.clear();
            result.status = FileReadStatus::TooLarge;
            return result;
        }
        result.bytes.append(buf, n);
    }
    result.status = FileReadStatus::Ok;
    return result;
}

}  // namespace

FileReadResult ReadFileBytesOrMissing(const std::filesystem::path& path, std::size_t maxBytes) {
    return ReadRegularFile(path, maxBytes, 0);
}

FileReadResult ReadFileBytesNoFollow(const std::filesystem::path& path, std::size_t maxBytes) {
    return ReadRegularFile(path, maxBytes, FILE_FLAG_OPEN_REPARSE_POINT);
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    FileReadResult result = ReadFileBytesOrMissing(path);
    if (result.status != FileReadStatus::Ok) {
        return std::nullopt;
    }
    return std::move(result.bytes);
}

// Windows has no permission bits: a file in the user's own folders is private to the user by
// the folder's inherited access list, so `mode` is not used.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, mode_t mode) {
    return WriteFileAtomically(
        path, [bytes](const ChunkWriter& write) { return write(bytes); }, mode);
}

bool WriteFileAtomically(const std::filesystem::path& path,
                         const std::function<bool(const ChunkWriter&)>& produce, mode_t) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path tmp = path;
    tmp += L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter.fetch_add(1)) + L".tmp";
    WinHandle file(::CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    HANDLE raw = file.Get();
    bool ok = produce([raw](std::string_view bytes) { return win::WriteAll(raw, bytes); }) &&
              ::FlushFileBuffers(file.Get()) && file.Close() &&
              ::MoveFileExW(tmp.c_str(), path.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DWORD error = ::GetLastError();
        file.Close();
        ::DeleteFileW(tmp.c_str());
        ::SetLastError(error);
    }
    return ok;
}

bool AppendWholeOrNothing(const std::filesystem::path& path, std::string_view bytes) {
    // A link planted in the file's place would have lines written wherever it points: it is
    // opened as itself and refused, like a pipe or device name.
    WinHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(file.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(file.Get(), &size) != 0;
    LARGE_INTEGER end{};
    ok = ok && ::SetFilePointerEx(file.Get(), end, nullptr, FILE_END);
    if (ok && !win::WriteAll(file.Get(), bytes)) {
        // Half a line would glue itself to the next one and hide an alarm from the report.
        ok = false;
        ::SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file.Get());
    }
    return file.Close() && ok;
}

}  // namespace kestrove
