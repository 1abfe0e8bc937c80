#include "common/SingleInstance.h"

#include <windows.h>

#include <algorithm>

#include "common/Utf8Path.h"
#include "common/windows/WinHandle.h"

namespace kestrove {

// A named mutex in the session's own namespace ("Local\"): one per user session and program.
// The system drops it with the last handle, so a crashed copy never blocks the next start.
struct SingleInstance::Lock {
    WinHandle mutex;
};

SingleInstance::SingleInstance(std::string programName) : programName_(std::move(programName)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Acquire() {
    if (lock_) {
        return true;
    }
    std::wstring name = L"Local\\Kestrove-" + PathFromUtf8(programName_).wstring();
    // A backslash would name a namespace that does not exist.
    std::replace(name.begin() + 6, name.end(), L'\\', L'_');
    WinHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!mutex || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        return false;
    }
    lock_ = std::make_unique<Lock>(Lock{std::move(mutex)});
    return true;
}

}  // namespace kestrove
