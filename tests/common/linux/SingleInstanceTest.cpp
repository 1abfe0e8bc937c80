#include "common/SingleInstance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
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

TEST_F(SingleInstanceTest, PrivateFolderIsMadeButNeverBorrowed) {
    test::TempFolder dir;
    EXPECT_TRUE(EnsurePrivateFolder(dir / "new"));
    EXPECT_EQ(ModeOf(dir / "new"), 0700u);
    EXPECT_TRUE(EnsurePrivateFolder(dir / "new")) << "found again";

    fs::create_directory(dir / "readable");
    fs::permissions(dir / "readable", fs::perms::owner_all | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read |
                                          fs::perms::others_exec);
    EXPECT_TRUE(EnsurePrivateFolder(dir / "readable"));
    // Others may already have put files in it: closing it now would not take them out.
    for (fs::perms open : {fs::perms::all, fs::perms::owner_all | fs::perms::group_write}) {
        fs::create_directory(dir / "open");
        fs::permissions(dir / "open", open);
        EXPECT_FALSE(EnsurePrivateFolder(dir / "open"));
        EXPECT_EQ(ModeOf(dir / "open"), static_cast<mode_t>(open));
        fs::remove(dir / "open");
    }

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

// Another local user (nobody here) made /tmp/kestrove-<uid> first, open to all, for a user
// without XDG_RUNTIME_DIR. Run as that user, in a child that gives up root.
class PlantedLockFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            return;
        }
        ASSERT_EQ(::chown(home.Path().c_str(), uid, uid), 0);
        std::error_code ec;
        fs::remove_all(planted, ec);
        ASSERT_TRUE(fs::create_directory(planted));
        ASSERT_EQ(::chown(planted.c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chmod(planted.c_str(), 0777), 0);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(planted, ec);
    }

    // `check` runs as the test user with HOME set to `homeFolder`; its result is the exit code.
    int RunAsUser(const fs::path& homeFolder, const std::function<bool()>& check) const {
        pid_t child = ::fork();
        if (child == 0) {
            ::unsetenv("XDG_RUNTIME_DIR");
            ::unsetenv("XDG_CACHE_HOME");
            ::setenv("HOME", homeFolder.c_str(), 1);
            bool ok = ::setresgid(uid, uid, uid) == 0 && ::setresuid(uid, uid, uid) == 0 && check();
            ::_exit(ok ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // A uid of no account, its own to this test process so parallel runs keep apart.
    const uid_t uid = 60000 + static_cast<uid_t>(::getpid() % 5000);
    const fs::path planted = "/tmp/kestrove-" + std::to_string(uid);
    test::TempFolder home;
};

TEST_F(PlantedLockFolderTest, FirstCopyStartsWithItsOwnFolderAndASecondIsStillRefused) {
    KESTROVE_REQUIRE_ROOT();
    fs::path own = home / ".cache" / "kestrove";
    int status = RunAsUser(home.Path(), [&] {
        SingleInstance first("Kestrove");
        SingleInstance second("Kestrove");
        return RuntimeFolder() == own && first.Acquire() && !second.Acquire();
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(fs::exists(own / "Kestrove.lock"));
    EXPECT_EQ(ModeOf(own), 0700u);
    EXPECT_TRUE(fs::is_empty(planted)) << "nothing of ours in their folder";
}

TEST_F(PlantedLockFolderTest, WithNoPrivateFolderAnywhereTheCopyStillStarts) {
    KESTROVE_REQUIRE_ROOT();
    int status = RunAsUser("/proc/no-home", [] {
        SingleInstance first("Kestrove");
        return !RuntimeFolder() && first.Acquire();
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace kestrove
