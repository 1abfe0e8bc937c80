// What the viewer's window does with paths that are no log it can show.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "common/ui/MessageBox.h"
#include "testsupport/TempFolder.h"
#include "viewer/frmLog.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;

class frmLogLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::ClearHistory();
        MessageBox::SetAutoAnswer(true);
    }
    void TearDown() override { MessageBox::SetAutoAnswer(false); }

    static QString BoxText(const frmLog& window) {
        return window.findChild<QPlainTextEdit*>("txtLog")->toPlainText();
    }

    test::TempFolder dir;
};

// A FIFO nobody writes to would block a plain open before the window ever appeared.
TEST_F(frmLogLoadTest, FifoDeviceAndFolderShowTheEmptyBoxAtOnce) {
    ASSERT_EQ(::mkfifo((dir / "alart.log").c_str(), 0600), 0);
    for (const fs::path& path : {dir / "alart.log", fs::path("/dev/zero"), dir.Path()}) {
        frmLog window(path);
        EXPECT_TRUE(BoxText(window).isEmpty()) << path;
    }
    EXPECT_TRUE(MessageBox::History().empty());
}

TEST_F(frmLogLoadTest, FileTooLargeToShowGivesAMessageInsteadOfAborting) {
    fs::path log = dir / "alart.log";
    test::WriteFile(log, "2007/05/05 14:03:09 start\r\n");
    ASSERT_EQ(::truncate(log.c_str(), off_t{64} << 30), 0);  // sparse
    frmLog window(log);
    EXPECT_TRUE(BoxText(window).isEmpty());
    ASSERT_EQ(MessageBox::History().size(), 1u);
    EXPECT_EQ(MessageBox::History()[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(MessageBox::History()[0].text.contains(QString::fromUtf8("大きすぎる")));
    EXPECT_TRUE(MessageBox::History()[0].text.contains(QString::fromUtf8("256MB")));
    EXPECT_TRUE(MessageBox::History()[0].text.contains(QString::fromStdString(log.string())));

    // Saving the empty box must not replace the file it could not show.
    window.MSave_Click();
    EXPECT_EQ(fs::file_size(log), std::uintmax_t{64} << 30);
}

}  // namespace
}  // namespace kestrove
