#pragma once

#include <windows.h>

namespace kestrove {

// Owns a kernel handle (file, process, mutex) and closes it once.
class WinHandle {
public:
    WinHandle() = default;
    explicit WinHandle(HANDLE handle) : handle_(handle) {}
    ~WinHandle() { Reset(); }
    WinHandle(const WinHandle&) = delete;
    WinHandle& operator=(const WinHandle&) = delete;
    WinHandle(WinHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }

    HANDLE Get() const { return handle_; }
    // CreateFile says INVALID_HANDLE_VALUE where the other calls say nullptr.
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    // Closes now and reports whether the close succeeded (a full disk can show up here).
    bool Close() {
        bool ok = !*this || ::CloseHandle(handle_) != 0;
        handle_ = nullptr;
        return ok;
    }
    void Reset() { Close(); }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace kestrove
