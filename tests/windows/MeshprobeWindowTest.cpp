// Run by wine_lan_test.py inside the namespace while the Meshprobe.exe it started sweeps, with a
// display: the sweeper's hidden window is found by its title, a second copy ends at once, the
// monitor's process control ends a sweeper found by its title and program, and WM_CLOSE ends the
// first one.

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "common/ProcessControl.h"
#include "common/Utf8Path.h"
#include "common/windows/WinHandle.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;

std::filesystem::path MeshprobeExe() {
    const char* bin = std::getenv("KESTROVE_BIN_DIR");
    return PathFromUtf8(bin != nullptr ? bin : ".") / "Meshprobe.exe";
}

// The first window titled exactly "Meshprobe", waited for up to 20 s (a cold start under Wine).
HWND WaitForSweeperWindow(DWORD notProcess = 0) {
    for (auto deadline = std::chrono::steady_clock::now() + 20s;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(100ms)) {
        for (HWND w = ::FindWindowW(nullptr, L"Meshprobe"); w != nullptr;
             w = ::FindWindowExW(nullptr, w, nullptr, L"Meshprobe")) {
            DWORD process = 0;
            ::GetWindowThreadProcessId(w, &process);
            if (process != notProcess) {
                return w;
            }
        }
    }
    return nullptr;
}

WinHandle ProcessOf(HWND window) {
    DWORD id = 0;
    ::GetWindowThreadProcessId(window, &id);
    return WinHandle(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, id));
}

bool EndsWithin(const WinHandle& process, DWORD ms) {
    return ::WaitForSingleObject(process.Get(), ms) == WAIT_OBJECT_0;
}

TEST(MeshprobeWindow, HiddenWindowIsFoundOneCopyRunsAndWmCloseEndsIt) {
    HWND window = WaitForSweeperWindow();
    ASSERT_NE(window, nullptr) << "the sweeper started by the script has no window";
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_EQ(::GetParent(window), nullptr);
    WinHandle sweeper = ProcessOf(window);
    ASSERT_TRUE(sweeper);

    // A second copy ends at once, with success, and the first keeps running.
    std::wstring commandLine = L"\"" + MeshprobeExe().wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION second{};
    ASSERT_TRUE(::CreateProcessW(MeshprobeExe().c_str(), commandLine.data(), nullptr, nullptr,
                                 FALSE, 0, nullptr, nullptr, &startup, &second));
    WinHandle secondProcess(second.hProcess);
    ::CloseHandle(second.hThread);
    ASSERT_TRUE(EndsWithin(secondProcess, 20000));
    DWORD code = 1;
    ::GetExitCodeProcess(secondProcess.Get(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(EndsWithin(sweeper, 0));

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(EndsWithin(sweeper, 20000)) << "WM_CLOSE did not end the sweeper";
}

TEST(MeshprobeWindow, ProcessControlStartsItAndEndsItByTitle) {
    std::unique_ptr<ProcessControl> control = CreateProcessControl();
    ASSERT_TRUE(control->StartDetached(MeshprobeExe(), {}));
    HWND window = WaitForSweeperWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(::IsWindowVisible(window));
    WinHandle sweeper = ProcessOf(window);
    // A window of that title whose program lies elsewhere is not ours to end.
    std::filesystem::path folder = MeshprobeExe().parent_path();
    EXPECT_EQ(control->TerminateProgram(folder / "elsewhere" / "Meshprobe.exe"), 0);
    EXPECT_FALSE(EndsWithin(sweeper, 0));
    // The monitor names it without ".exe"; paths match in any case; the caller is never among
    // the ended.
    EXPECT_EQ(control->TerminateProgram(folder / "MESHprobe"), 1);
    EXPECT_TRUE(EndsWithin(sweeper, 20000));
    EXPECT_EQ(control->TerminateProgram(MeshprobeExe()), 0);
}

}  // namespace
}  // namespace kestrove
