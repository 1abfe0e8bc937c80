// Saving onto a read-only file system. Root ignores file permissions, so the test mounts a
// read-only file system in a mount namespace of its own.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <QPlainTextEdit>
#include <cerrno>
#include <cstring>

#include "common/ui/MessageBox.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/TempFolder.h"
#include "viewer/frmLog.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;

// Moves this thread into a private mount namespace, so nothing mounted here is seen outside.
void PrivateMounts() {
    ASSERT_EQ(::unshare(CLONE_NEWNS), 0) << std::strerror(errno);
    ASSERT_EQ(::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0)
        << std::strerror(errno);
}

class Unmount {
public:
    explicit Unmount(fs::path path) : path_(std::move(path)) {}
    ~Unmount() { ::umount2(path_.c_str(), MNT_DETACH); }
    Unmount(const Unmount&) = delete;
    Unmount& operator=(const Unmount&) = delete;

private:
    fs::path path_;
};

void ExpectSaveRefused(const fs::path& log, const std::string& before) {
    MessageBox::ClearHistory();
    MessageBox::SetAutoAnswer(true);
    frmLog window(log);
    auto* box = window.findChild<QPlainTextEdit*>("txtLog");
    box->appendPlainText("edited");
    QString text = box->toPlainText();
    window.MSave_Click();
    MessageBox::SetAutoAnswer(false);

    ASSERT_EQ(MessageBox::History().size(), 1u);
    EXPECT_EQ(MessageBox::History()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(MessageBox::History()[0].title, "Quillpane");
    EXPECT_EQ(box->toPlainText(), text) << "the text stays in the window";
    EXPECT_EQ(test::ReadFile(log), before) << "the old file is whole";
}

TEST(frmLogReadOnlyTest, ReadOnlyFolderAndReadOnlyFileKeepTheOldLog) {
    KESTROVE_REQUIRE_ROOT();
    PrivateMounts();
    const std::string before = "2007/05/05 14:03:09 start\r\n";

    test::TempFolder dir;
    fs::path folder = dir / "log";
    fs::create_directory(folder);
    ASSERT_EQ(::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m"), 0) << std::strerror(errno);
    Unmount unmountFolder(folder);
    test::WriteFile(folder / "alart.log", before);
    test::WriteFile(dir / "alone.log", before);

    // The file alone read-only, in a folder that stays writable.
    ASSERT_EQ(::mount((dir / "alone.log").c_str(), (dir / "alone.log").c_str(), nullptr, MS_BIND,
                      nullptr),
              0);
    Unmount unmountFile(dir / "alone.log");
    ASSERT_EQ(::mount(nullptr, (dir / "alone.log").c_str(), nullptr,
                      MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr),
              0)
        << std::strerror(errno);
    ExpectSaveRefused(dir / "alone.log", before);

    // The whole folder read-only.
    ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0)
        << std::strerror(errno);
    ExpectSaveRefused(folder / "alart.log", before);
}

}  // namespace
}  // namespace kestrove
