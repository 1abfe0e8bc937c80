// A log larger than one slice streams into the box after the window appears; saving, editing
// and undo must behave as if it had all been there at once.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include "common/ui/MessageBox.h"
#include "testsupport/TempFolder.h"
#include "viewer/frmLog.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

constexpr int kLines = 40000;  // some 2.6 million characters: three slices

// Lines with two-byte characters and a lone LF inside some of them, so slices are cut among
// all of them; invalid bytes would not come back as they were, so there are none.
std::string LargeLog() {
    std::string log;
    for (int i = 0; i < kLines; ++i) {
        log += "2007/05/05 14:03:09 \x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80 line " +
               std::to_string(i);
        log += i % 7 == 0 ? "\nstill the same line\r\n" : "\r\n";
    }
    return log;
}

class frmLogStreamingTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::ClearHistory();
        WriteFile(log, kLog);
    }

    static QPlainTextEdit* Box(frmLog& window) {
        return window.findChild<QPlainTextEdit*>("txtLog");
    }
    static bool WaitUntilLoaded(frmLog& window) {
        return QTest::qWaitFor([&] { return !window.Loading(); }, 120000);
    }

    const std::string kLog = LargeLog();
    test::TempFolder dir;
    fs::path log = dir / "alart.log";
};

TEST_F(frmLogStreamingTest, WholeLogArrivesInOrderAndUndoCannotTakeItBack) {
    frmLog window(log);
    ASSERT_TRUE(window.Loading()) << "the log must be larger than one slice";
    QPlainTextEdit* box = Box(window);
    EXPECT_EQ(box->textCursor().position(), 0);
    EXPECT_FALSE(box->isReadOnly());
    int finished = 0;
    QObject::connect(&window, &frmLog::LoadFinished, [&] { ++finished; });
    window.show();
    ASSERT_TRUE(WaitUntilLoaded(window));
    EXPECT_EQ(finished, 1);

    EXPECT_EQ(box->document()->blockCount(), kLines);
    EXPECT_EQ(box->document()->findBlockByNumber(kLines - 1).text(),
              QString::fromUtf8("2007/05/05 14:03:09 プログラム line %1").arg(kLines - 1));
    EXPECT_EQ(box->textCursor().position(), 0) << "the caret stays where the user left it";
    EXPECT_FALSE(box->document()->isUndoAvailable());
    window.MSave_Click();
    EXPECT_EQ(ReadFile(log), kLog);

    box->textCursor().insertText("x");
    EXPECT_TRUE(box->document()->isUndoAvailable()) << "edits after loading can be undone";
}

// The save must write the whole file's text, not the part shown so far, and edits made
// meanwhile, wherever they are, keep their place before the lines still to come.
TEST_F(frmLogStreamingTest, SaveBeforeTheLoadFinishedWritesTheWholeText) {
    struct Case {
        const char* name;
        bool atEnd;  // the edit goes at the end of what is in the box so far
    };
    for (const Case& c : {Case{"edit at the start", false}, Case{"edit at the end", true}}) {
        WriteFile(log, kLog);
        frmLog window(log);
        ASSERT_TRUE(window.Loading()) << c.name;
        QTextCursor edit(Box(window)->document());
        if (c.atEnd) {
            edit.movePosition(QTextCursor::End);
        }
        edit.insertText(QString::fromUtf8("メモ"));
        // A slice ends after a line end: the lines so far are one less than the blocks.
        std::size_t at = 0;
        for (int line = 0; c.atEnd && line < Box(window)->document()->blockCount() - 1; ++line) {
            at = kLog.find("\r\n", at) + 2;
        }
        ASSERT_LT(at, kLog.size()) << c.name;

        window.MSave_Click();
        ASSERT_TRUE(window.Loading()) << c.name << ": the save came before the end";
        std::string expected = kLog;
        expected.insert(at, "\x83\x81\x83\x82");
        EXPECT_EQ(ReadFile(log), expected) << c.name;
        EXPECT_TRUE(MessageBox::History().empty()) << c.name;

        std::string savedEarly = ReadFile(log);
        ASSERT_TRUE(WaitUntilLoaded(window)) << c.name;
        window.MSave_Click();
        EXPECT_EQ(ReadFile(log), savedEarly) << c.name << ": the box ends up as was saved";
        EXPECT_TRUE(MessageBox::History().empty()) << c.name;
    }
}

TEST_F(frmLogStreamingTest, ClosingTheWindowWhileLoadingLeavesTheFileAlone) {
    {
        frmLog window(log);
        ASSERT_TRUE(window.Loading());
        QTest::qWait(1);
    }
    QTest::qWait(1);
    EXPECT_EQ(ReadFile(log), kLog);
}

}  // namespace
}  // namespace kestrove
