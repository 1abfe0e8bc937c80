// Whether only this user can have written a file, on a real file system with a second user and
// a group shared with it (root: the test adds both and removes them again).
#include "common/FileTrust.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "testsupport/NetNamespace.h"
#include "testsupport/SecondUser.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

class FileTrustTest : public ::testing::Test {
protected:
    void SetUp() override {
        KESTROVE_REQUIRE_ROOT();
        ASSERT_TRUE(other_.Ready());
        other_gid_ = ::getgrnam(other_.Group().c_str())->gr_gid;
        other_uid_ = ::getpwnam(other_.Name().c_str())->pw_uid;
        ASSERT_EQ(::chmod(dir_.Path().c_str(), 0700), 0);
        WriteFile(file_, "x");
        ASSERT_EQ(::chmod(file_.c_str(), 0600), 0);
    }

    SecondUser other_;
    gid_t other_gid_ = 0;
    uid_t other_uid_ = 0;
    TempFolder dir_;
    fs::path file_ = dir_ / "setting.ini";
};

TEST_F(FileTrustTest, TheUsersOwnFileInTheUsersOwnFolderIsTrusted) {
    EXPECT_EQ(CheckFileTrust(file_), FileTrust::Trusted);
    EXPECT_EQ(CheckFileTrust(dir_ / "hosts.dat"), FileTrust::Missing);
    // Root's group has no other member: its write bit lets nobody else in.
    ASSERT_EQ(::chmod(file_.c_str(), 0660), 0);
    EXPECT_EQ(CheckFileTrust(file_), FileTrust::Trusted);
}

TEST_F(FileTrustTest, AnotherUsersFileOrOneOthersMayWriteIsNot) {
    ASSERT_EQ(::chown(file_.c_str(), other_uid_, other_gid_), 0);
    EXPECT_EQ(CheckFileTrust(file_), FileTrust::OtherOwner);
    ASSERT_EQ(::chown(file_.c_str(), 0, other_gid_), 0);
    ASSERT_EQ(::chmod(file_.c_str(), 0620), 0);
    EXPECT_EQ(CheckFileTrust(file_), FileTrust::Writable) << "a group the other user is in";
    ASSERT_EQ(::chown(file_.c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod(file_.c_str(), 0602), 0);
    EXPECT_EQ(CheckFileTrust(file_), FileTrust::Writable) << "everyone";
    fs::remove(file_);
    fs::create_symlink(dir_ / "elsewhere", file_);
    EXPECT_EQ(CheckFileTrust(file_), FileTrust::NotRegular);
}

TEST_F(FileTrustTest, AFolderAnotherUserMayWriteOrOwnsTrustsNothingInIt) {
    ASSERT_EQ(::chown(dir_.Path().c_str(), 0, other_gid_), 0);
    ASSERT_EQ(::chmod(dir_.Path().c_str(), 02770), 0);
    EXPECT_EQ(CheckFileTrust(file_), FileTrust::FolderWritable);
    // What the other user put there, and what it can put there in place of ours.
    ASSERT_EQ(other_.Run({"touch", (dir_ / "hosts.dat").string()}), 0);
    EXPECT_EQ(CheckFileTrust(dir_ / "hosts.dat"), FileTrust::FolderWritable);
    ASSERT_EQ(::chmod(dir_.Path().c_str(), 0701), 0);
    EXPECT_EQ(CheckFileTrust(dir_ / "hosts.dat"), FileTrust::OtherOwner);
    ASSERT_EQ(::chown(dir_.Path().c_str(), other_uid_, other_gid_), 0);
    EXPECT_EQ(CheckFileTrust(file_), FileTrust::FolderOtherOwner);
}

}  // namespace
}  // namespace kestrove::test
