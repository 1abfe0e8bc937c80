#include "netinfo/OsVersion.h"

#include <windows.h>

namespace kestrove {
namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);

}  // namespace

// RtlGetVersion tells the true version; GetVersionEx answers 6.2 to a program without a
// compatibility manifest. Every 6.x and later system is the modern family.
std::string GetOSVersion() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    auto rtlGetVersion =
        ntdll != nullptr ? reinterpret_cast<RtlGetVersionFunction>(
                               reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
                         : nullptr;
    if (rtlGetVersion == nullptr || rtlGetVersion(&info) != 0) {
        return "Failed";
    }
    if (info.dwMajorVersion >= 6) {
        return "VISTA";
    }
    if (info.dwMajorVersion == 5) {
        return info.dwMinorVersion == 0 ? "2000" : info.dwMinorVersion == 1 ? "XP" : "2003";
    }
    return info.dwMajorVersion == 4 ? "NT4" : "";
}

}  // namespace kestrove
