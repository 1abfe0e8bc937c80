#include "viewer/frmLog.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "common/ui/MessageBox.h"
#include "common/ui/Twips.h"
#include "testsupport/TempFolder.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

const std::string kThreeLines =
    "2007/05/05 14:03:09 \x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80\x82\xF0\x8A\x4A\x8E\x6E\x82\xB5"
    "\x82\xDC\x82\xB5\x82\xBD\r\n"
    "2007/05/05 14:05:00 MAC\r\n"
    "2007/05/05 14:06:00 end\r\n";

class frmLogTest : public ::testing::Test {
protected:
    void SetUp() override { MessageBox::ClearHistory(); }
    void TearDown() override { MessageBox::SetAutoAnswer(false); }

    static QPlainTextEdit* Box(frmLog& window) {
        return window.findChild<QPlainTextEdit*>("txtLog");
    }
    static int Twips(int pixels, const QWidget* w) { return Twips::FromPixels(pixels, w); }

    test::TempFolder dir;
    fs::path log = dir / "alart.log";
};

TEST_F(frmLogTest, WindowHasItsNamesCaptionsAndStartSizes) {
    frmLog window(log);
    EXPECT_EQ(window.objectName(), "frmLog");
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("ログの表示"));
    auto* mFile = window.menuBar()->findChild<QMenu*>("MFIle");
    ASSERT_NE(mFile, nullptr);
    EXPECT_EQ(mFile->title(), QString::fromUtf8("ファイル(&F)"));
    auto* mSave = window.findChild<QAction*>("MSave");
    ASSERT_NE(mSave, nullptr);
    EXPECT_EQ(mSave->text(), QString::fromUtf8("上書き保存(&S)"));
    EXPECT_TRUE(mFile->actions().contains(mSave));

    QPlainTextEdit* box = Box(window);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_TRUE(box->font().fixedPitch());
    EXPECT_EQ(box->pos(), QPoint(0, 0));
    EXPECT_NEAR(Twips(box->width(), &window), 9975, 15);
    EXPECT_NEAR(Twips(box->height(), &window), 7455, 15);
    window.layout()->activate();
    EXPECT_NEAR(Twips(window.centralWidget()->width(), &window), 10035, 15);
    EXPECT_NEAR(Twips(window.centralWidget()->height(), &window), 7725, 15);
}

TEST_F(frmLogTest, BoxFollowsTheOuterSizeAndIgnoresImpossibleSizes) {
    frmLog window(log);
    window.show();
    window.resize(Twips::Size(8000, 6000, &window));
    QSize outer = window.frameGeometry().size();
    QPlainTextEdit* box = Box(window);
    EXPECT_NEAR(Twips(box->width(), &window), Twips(outer.width(), &window) - 185, 15);
    EXPECT_NEAR(Twips(box->height(), &window), Twips(outer.height(), &window) - 840, 15);

    QSize before = box->size();
    window.resize(Twips::Size(8000, 600, &window));
    int room = Twips(window.frameGeometry().height(), &window) - 840;
    if (room > 0) {
        // The system keeps a window's title and menu whole (Windows does): the box follows.
        EXPECT_NEAR(Twips(box->height(), &window), room, 15);
    } else {
        EXPECT_EQ(box->size(), before) << "no room for a box: left as it was";
    }
}

TEST_F(frmLogTest, CrLfLogShowsItsLinesAndIsSavedBackByteForByte) {
    WriteFile(log, kThreeLines);
    frmLog window(log);
    QPlainTextEdit* box = Box(window);
    ASSERT_EQ(box->document()->blockCount(), 3);
    EXPECT_EQ(box->document()->findBlockByNumber(0).text(),
              QString::fromUtf8("2007/05/05 14:03:09 プログラムを開始しました"));
    EXPECT_EQ(box->document()->findBlockByNumber(2).text(), "2007/05/05 14:06:00 end");

    window.MSave_Click();
    EXPECT_EQ(ReadFile(log), kThreeLines);
    EXPECT_TRUE(MessageBox::History().empty());

    box->appendPlainText(QString::fromUtf8("メモ"));
    window.MSave_Click();
    EXPECT_EQ(ReadFile(log), kThreeLines + "\x83\x81\x83\x82\r\n");
}

TEST_F(frmLogTest, LfOnlyFileIsOneLineAndComesBackWithItsLfs) {
    WriteFile(log, "one\ntwo\nthree");
    frmLog window(log);
    EXPECT_EQ(Box(window)->document()->blockCount(), 1);
    window.MSave_Click();
    EXPECT_EQ(ReadFile(log), "one\ntwo\nthree\r\n");
}

TEST_F(frmLogTest, EmptyMissingAndDamagedFilesOpenQuietly) {
    WriteFile(log, "");
    EXPECT_TRUE(Box(*std::make_unique<frmLog>(log))->toPlainText().isEmpty());
    EXPECT_TRUE(Box(*std::make_unique<frmLog>(dir / "missing.log"))->toPlainText().isEmpty());
    EXPECT_TRUE(Box(*std::make_unique<frmLog>(""))->toPlainText().isEmpty());

    WriteFile(log, "ok\x80\r\n\x82");
    frmLog damaged(log);
    EXPECT_EQ(Box(damaged)->toPlainText(), QString::fromUtf8("ok\uFFFD\n\uFFFD"));
    EXPECT_TRUE(MessageBox::History().empty());
}

TEST_F(frmLogTest, FailedSaveShowsAMessageAndKeepsTheText) {
    WriteFile(dir / "notafolder", "keep");
    frmLog window(dir / "notafolder" / "alart.log");
    Box(window)->setPlainText("typed text");
    MessageBox::SetAutoAnswer(true);
    window.MSave_Click();
    ASSERT_EQ(MessageBox::History().size(), 1u);
    EXPECT_EQ(MessageBox::History()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(MessageBox::History()[0].title, "Quillpane");
    EXPECT_TRUE(MessageBox::History()[0].text.contains("alart.log"));
    EXPECT_EQ(Box(window)->toPlainText(), "typed text");
    EXPECT_EQ(ReadFile(dir / "notafolder"), "keep");

    frmLog unnamed("");
    unnamed.MSave_Click();
    ASSERT_EQ(MessageBox::History().size(), 2u);
    EXPECT_EQ(MessageBox::History()[1].title, "Quillpane");
}

TEST_F(frmLogTest, LinesAppendedSinceLoadingAreOverwrittenOnlyAfterAsking) {
    WriteFile(log, kThreeLines);
    frmLog window(log);
    const std::string appended = kThreeLines + "2007/05/05 14:09:00 MAC changed\r\n";
    WriteFile(log, appended);

    MessageBox::SetNextAnswer(QMessageBox::Cancel);
    window.MSave_Click();
    ASSERT_EQ(MessageBox::History().size(), 1u);
    EXPECT_EQ(MessageBox::History()[0].icon, QMessageBox::Question);
    EXPECT_EQ(MessageBox::History()[0].title, "Quillpane");
    EXPECT_EQ(ReadFile(log), appended) << "Cancel writes nothing";

    MessageBox::SetNextAnswer(QMessageBox::Ok);
    window.MSave_Click();
    EXPECT_EQ(ReadFile(log), kThreeLines);

    window.MSave_Click();
    EXPECT_EQ(MessageBox::History().size(), 2u) << "no question once the disk matches again";
}

}  // namespace
}  // namespace kestrove
