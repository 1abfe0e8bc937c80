#include "common/ProcessControl.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace kestrove {
namespace {

std::filesystem::path SystemProgram(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    return std::filesystem::path(std::wstring(folder, n)) / name;
}

TEST(ProcessControlWindows, StartsOnlyAbsolutePathsOfExistingPrograms) {
    std::unique_ptr<ProcessControl> control = CreateProcessControl();
    EXPECT_FALSE(control->StartDetached("cmd.exe", {"/c", "exit"}));
    EXPECT_FALSE(control->StartDetached(SystemProgram(L"no-such-program.exe"), {}));
    EXPECT_TRUE(control->StartDetached(SystemProgram(L"cmd.exe"), {"/c", "exit 0"}));
}

TEST(ProcessControlWindows, NoWindowWithTheTitleEndsNothingAndNeverTheCaller) {
    std::unique_ptr<ProcessControl> control = CreateProcessControl();
    EXPECT_EQ(control->TerminateProgram(SystemProgram(L"NoSuchWindowTitle-3f9a1c")), 0);
    EXPECT_EQ(control->TerminateProgram("Meshprobe"), 0) << "relative paths end nothing";
}

}  // namespace
}  // namespace kestrove
