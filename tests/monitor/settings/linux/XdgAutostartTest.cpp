#include "monitor/settings/linux/XdgAutostart.h"

#include <gtest/gtest.h>

#include "testsupport/RunCommand.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

TEST(XdgAutostart, EntryIsWrittenAndRemoved) {
    test::TempFolder dir;
    XdgAutostart autostart("/opt/kestrove/Kestrove", dir / "config" / "autostart");
    EXPECT_EQ(autostart.AddRunEntryUser(), "");
    std::string entry = test::ReadFile(dir / "config" / "autostart" / "Kestrove.desktop");
    EXPECT_NE(entry.find("[Desktop Entry]\nType=Application\nName=Kestrove\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=/opt/kestrove/Kestrove\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=kestrove\n"), std::string::npos);
    std::string report;
    EXPECT_EQ(test::RunCommand({"desktop-file-validate", autostart.EntryPath().string()}, &report),
              0)
        << report;
    autostart.RemoveRunEntryUser();
    EXPECT_FALSE(std::filesystem::exists(autostart.EntryPath()));
    autostart.RemoveRunEntryUser();  // nothing to remove is no error
}

TEST(XdgAutostart, FailureGivesTheSystemsText) {
    test::TempFolder dir;
    test::WriteFile(dir / "config", "a file where the folder should be");
    XdgAutostart autostart("/opt/kestrove/Kestrove", dir / "config" / "autostart");
    EXPECT_EQ(autostart.AddRunEntryUser(),
              std::make_error_code(std::errc::not_a_directory).message());
}

TEST(XdgAutostart, ExecValueQuotesBlanksAndEscapesSpecialCharacters) {
    EXPECT_EQ(DesktopExecValue("/opt/k/Kestrove"), "/opt/k/Kestrove");
    EXPECT_EQ(DesktopExecValue("/home/a b/キー/Kestrove"), "\"/home/a b/キー/Kestrove\"");
    EXPECT_EQ(DesktopExecValue("/x/100%/K"), "/x/100%%/K");
    EXPECT_EQ(DesktopExecValue("/x/\"q\"$`/K"), "\"/x/\\\"q\\\"\\$\\`/K\"");
    EXPECT_EQ(DesktopExecValue("/x/a\\b/K"), "\"/x/a\\\\\\\\b/K\"");
}

}  // namespace
}  // namespace kestrove
