// Saving onto a read-only file system. Root ignores file permissions, so the test mounts a
// read-only file system in a mount namespace of its own.

#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "common/ui/MessageBox.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/PrivateMounts.h"
#include "testsupport/TempFolder.h"
#include "viewer/frmLog.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;

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
    const std::string before = "2007/05/05 14:03:09 start\r\n";
    test::TempFolder dir;
    fs::create_directory(dir / "log");
    test::TmpfsMount folder(dir / "log", 1 << 20);
    test::WriteFile(folder.Path() / "alart.log", before);
    test::WriteFile(dir / "alone.log", before);

    // The file alone read-only, in a folder that stays writable.
    test::ReadOnlyBind file(dir / "alone.log");
    ExpectSaveRefused(dir / "alone.log", before);

    folder.SetReadOnly(true);
    ExpectSaveRefused(folder.Path() / "alart.log", before);
}

}  // namespace
}  // namespace kestrove
