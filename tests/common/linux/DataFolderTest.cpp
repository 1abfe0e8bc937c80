// The data folder chosen on a real file system: a writable program folder keeps everything, an
// installed or read-only one sends the files to the user's own folder, and neither writable is
// reported rather than hidden.
#include "common/DataFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "testsupport/NetNamespace.h"
#include "testsupport/PrivateMounts.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            saved_ = old;
        }
        Set(value);
    }
    ~ScopedEnv() { Set(saved_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void Set(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_, value->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    const char* name_;
    std::optional<std::string> saved_;
};

class DataFolderTest : public ::testing::Test {
protected:
    DataFolderTest()
        : home_("HOME", (root / "home").string()),
          data_("XDG_DATA_HOME", (root / "home" / "data").string()) {
        fs::create_directories(program);
        fs::create_directories(root / "home");
    }

    DataFolderChoice Choose() const { return ChooseDataFolder(program, *platform); }
    fs::path OwnFolder() const { return root / "home" / "data" / "Kestrove"; }

    test::TempFolder root;
    fs::path program = root / "program";
    std::unique_ptr<DataFolderPlatform> platform = CreateDataFolderPlatform();

private:
    ScopedEnv home_;
    ScopedEnv data_;
};

TEST_F(DataFolderTest, AWritableProgramFolderKeepsEverythingAndMakesNoOwnFolder) {
    DataFolderChoice choice = Choose();
    EXPECT_EQ(choice.folder, program);
    EXPECT_TRUE(choice.writable);
    EXPECT_FALSE(fs::exists(root / "home" / "data"));
}

TEST_F(DataFolderTest, AnInstalledCopyUsesTheOwnFolderMadePrivateWithItsParents) {
    test::WriteFile(program / std::string(kInstalledMarker), "");
    DataFolderChoice choice = Choose();
    EXPECT_EQ(choice.folder, OwnFolder());
    EXPECT_TRUE(choice.writable);
    EXPECT_EQ(ModeOf(OwnFolder()), 0700u);
    EXPECT_EQ(ModeOf(root / "home" / "data"), 0700u);
    EXPECT_EQ(choice / "setting.ini", OwnFolder() / "setting.ini");
}

TEST_F(DataFolderTest, AnExistingOwnFolderKeepsTheModeItsOwnerGaveIt) {
    test::WriteFile(program / std::string(kInstalledMarker), "");
    fs::create_directories(OwnFolder());
    ::chmod(OwnFolder().c_str(), 0750);
    EXPECT_TRUE(Choose().writable);
    EXPECT_EQ(ModeOf(OwnFolder()), 0750u);
}

TEST_F(DataFolderTest, TheOwnFolderFollowsTheBaseDirectoryRules) {
    struct Case {
        std::optional<std::string> dataHome;
        fs::path expected;
    };
    const Case cases[] = {
        {(root / "elsewhere").string(), root / "elsewhere" / "Kestrove"},
        // Unset, empty or relative: the default below $HOME.
        {std::nullopt, root / "home" / ".local" / "share" / "Kestrove"},
        {"", root / "home" / ".local" / "share" / "Kestrove"},
        {"relative/data", root / "home" / ".local" / "share" / "Kestrove"},
    };
    for (const Case& c : cases) {
        ScopedEnv data("XDG_DATA_HOME", c.dataHome);
        EXPECT_EQ(platform->PerUserFolder(), c.expected) << c.dataHome.value_or("(unset)");
    }
}

TEST_F(DataFolderTest, AReadOnlyProgramFolderSendsTheFilesToTheOwnFolder) {
    KESTROVE_REQUIRE_ROOT();
    test::ReadOnlyBind readOnly(program);
    DataFolderChoice choice = Choose();
    EXPECT_EQ(choice.folder, OwnFolder());
    EXPECT_TRUE(choice.writable);
    EXPECT_TRUE(fs::is_directory(OwnFolder()));
}

TEST_F(DataFolderTest, NeitherFolderWritableIsReportedAndNamesTheOwnFolder) {
    KESTROVE_REQUIRE_ROOT();
    test::ReadOnlyBind readOnlyProgram(program);
    test::ReadOnlyBind readOnlyHome(root / "home");
    DataFolderChoice choice = Choose();
    EXPECT_EQ(choice.folder, OwnFolder());
    EXPECT_FALSE(choice.writable);
    EXPECT_FALSE(fs::exists(OwnFolder()));
}

TEST_F(DataFolderTest, AnOwnFolderThatIsAFileIsNotWritable) {
    test::WriteFile(program / std::string(kInstalledMarker), "");
    fs::create_directories(OwnFolder().parent_path());
    test::WriteFile(OwnFolder(), "not a folder");
    EXPECT_FALSE(Choose().writable);
}

}  // namespace
}  // namespace kestrove
