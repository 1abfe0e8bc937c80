#include "common/SingleInstance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

#include "testsupport/NetNamespace.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0);
    return st.st_mode & 07777;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR")) {
            saved_ = old;
        }
        ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    }
    void TearDown() override {
        if (saved_) {
            ::setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }

    test::TempFolder runtime;

private:
    std::optional<std::string> saved_;
};

TEST_F(SingleInstanceTest, SecondHolderOfTheSameNameIsRefusedUntilTheFirstGoes) {
    auto first = std::make_unique<SingleInstance>("Meshprobe");
    ASSERT_TRUE(first->Acquire());
    EXPECT_TRUE(first->Acquire()) << "asking again keeps the lock";

    SingleInstance second("Meshprobe");
    EXPECT_FALSE(second.Acquire());
    SingleInstance other("Kestrove");
    EXPECT_TRUE(other.Acquire()) << "each program has its own lock";

    first.reset();
    EXPECT_TRUE(second.Acquire());
    EXPECT_TRUE(fs::exists(runtime / "Meshprobe.lock"));
}

TEST_F(SingleInstanceTest, RuntimeFolderFallsBackWhenTheVariableIsUnusable) {
    EXPECT_EQ(RuntimeFolder(), runtime.Path());
    fs::path fallback = "/tmp/kestrove-" + std::to_string(::getuid());
    for (const char* value : {"", "relative/dir", "/nonexistent/kestrove-test"}) {
        ::setenv("XDG_RUNTIME_DIR", value, 1);
        EXPECT_EQ(RuntimeFolder(), fallback) << value;
    }
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(RuntimeFolder(), fallback);
    EXPECT_EQ(ModeOf(fallback), 0700u);
}

TEST_F(SingleInstanceTest, PrivateFolderIsMadeOrTightenedButNeverBorrowed) {
    test::TempFolder dir;
    EXPECT_TRUE(EnsurePrivateFolder(dir / "new"));
    EXPECT_EQ(ModeOf(dir / "new"), 0700u);

    fs::create_directory(dir / "open");
    fs::permissions(dir / "open", fs::perms::all);
    EXPECT_TRUE(EnsurePrivateFolder(dir / "open"));
    EXPECT_EQ(ModeOf(dir / "open"), 0700u);

    fs::create_directory_symlink(dir / "new", dir / "link");
    EXPECT_FALSE(EnsurePrivateFolder(dir / "link"));
    test::WriteFile(dir / "file", "x");
    EXPECT_FALSE(EnsurePrivateFolder(dir / "file"));
    EXPECT_FALSE(EnsurePrivateFolder(dir / "missing" / "parent"));
}

TEST_F(SingleInstanceTest, FolderOfAnotherUserIsRefused) {
    KESTROVE_REQUIRE_ROOT();
    test::TempFolder dir;
    fs::create_directory(dir / "theirs");
    ASSERT_EQ(::chown((dir / "theirs").c_str(), 65534, 65534), 0);
    ::chmod((dir / "theirs").c_str(), 0700);
    EXPECT_FALSE(EnsurePrivateFolder(dir / "theirs"));
}

}  // namespace
}  // namespace kestrove
