// Every window of the monitor whole on a 1280x900 screen under openbox, at 96 dpi, at twice and
// at two and a half times the size (built three times), from its first opening on; the geometry is read back from the window
// manager's frame. The grid shows no scroll bar it does not need, and the explanation under
// `List1` wraps inside the window while the lists give way.
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include "MonitorAppFixture.h"
#include "FrameOnScreen.h"
#include "common/ui/Twips.h"

namespace kestrove::test {
namespace {

class WindowFitTest : public MonitorAppFixture {
protected:
    // Waits until openbox has framed `w`, the window was fitted to the frame and the frame
    // stands still; its outer rectangle.
    static QRect Settled(QWidget* w) {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(w)) << w->objectName().toStdString();
        return SettledFrame(w);
    }
    static QRect Area(QWidget* w) { return w->screen()->availableGeometry(); }
    void ExpectWhole(QWidget* w) {
        QRect outer = Settled(w);
        std::string name = w->objectName().toStdString();
        EXPECT_TRUE(Area(w).contains(outer))
            << name << " at " << outer.x() << "," << outer.y() << " " << outer.width() << "x"
            << outer.height() << " on " << Area(w).width() << "x" << Area(w).height();
        EXPECT_GT(outer.height(), w->geometry().height())
            << name << ": framed by openbox; frame " << outer.x() << "," << outer.y() << " "
            << outer.width() << "x" << outer.height() << ", window " << w->geometry().x() << ","
            << w->geometry().y() << " " << w->width() << "x" << w->height() << ", visible "
            << w->isVisible();
        RecordProperty(name, std::to_string(outer.x()) + "," + std::to_string(outer.y()) + " " +
                                 std::to_string(outer.width()) + "x" +
                                 std::to_string(outer.height()));
    }
    QWidget* TopLevel(const char* name) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->objectName() == name) {
                return w;
            }
        }
        return nullptr;
    }
};

TEST_F(WindowFitTest, EveryWindowIsWholeOnTheScreenFromItsFirstOpening) {
    ASSERT_TRUE(App().Start());
    ExpectWhole(&app->Window());
    for (const char* item : {"MHelpMain", "MVersion", "MReportOption"}) {
        SCOPED_TRACE(item);
        Action(item)->trigger();
        QWidget* shown = nullptr;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            for (const char* name : {"HelpWindow", "frmAbout", "frmReportOption"}) {
                if (QWidget* w = TopLevel(name); w != nullptr && w != &app->Window()) {
                    shown = w;
                }
            }
            return shown != nullptr;
        }));
        ExpectWhole(shown);
        shown->close();
        QTest::qWait(100);
    }
}

TEST_F(WindowFitTest, GridShowsNoHorizontalScrollBarWhenTheVerticalOneComes) {
    App();
    for (int host = 1; host <= 60; ++host) {
        arp->Put("192.168.1." + std::to_string(host + 100),
                 "00-11-22-33-44-" + std::string(host < 16 ? "0" : "") +
                     QString::number(host, 16).toUpper().toStdString());
    }
    ASSERT_TRUE(App().Start());
    app->Engine().ScanArpTable();
    app->Window().RefreshViews();
    Settled(&app->Window());
    auto* grid = app->Window().findChild<QTableView*>("MSFlexGrid1");
    EXPECT_TRUE(grid->verticalScrollBar()->isVisible());
    EXPECT_FALSE(grid->horizontalScrollBar()->isVisible())
        << grid->columnWidth(0) << "+" << grid->columnWidth(1) << " in "
        << grid->viewport()->width() << " of " << grid->width() << " header min "
        << grid->horizontalHeader()->minimumSectionSize() << " len "
        << grid->horizontalHeader()->length();
    // Both columns still show their widest text whole.
    QFontMetrics metrics(grid->font());
    EXPECT_GE(grid->columnWidth(0), metrics.horizontalAdvance("192.168.  1.160"));
    EXPECT_GE(grid->columnWidth(1), metrics.horizontalAdvance("00-11-22-33-44-3C"));
}

TEST_F(WindowFitTest, ExplanationWrapsInsideTheWindowAndTheListsGiveWay) {
    App();
    arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
    ASSERT_TRUE(App().Start());
    app->Engine().ScanArpTable();
    QRect before = Settled(&app->Window());
    auto* grid = app->Window().findChild<QTableView*>("MSFlexGrid1");
    QRect gridBefore = grid->geometry();

    arp->Replace("192.168.1.1", "00-00-5E-00-01-01");
    app->Engine().ScanArpTable();
    app->Window().RefreshViews();
    auto* list1 = app->Window().findChild<QListView*>("List1");
    list1->setCurrentIndex(list1->model()->index(1, 0));
    QTest::qWait(100);

    auto* label = app->Window().findChild<QLabel*>("lblExplain");
    auto* area = app->Window().findChild<QScrollArea*>("explainArea");
    QWidget* central = app->Window().centralWidget();
    EXPECT_TRUE(label->wordWrap());
    EXPECT_GT(area->height(), 3 * label->fontMetrics().height()) << "several lines shown";
    EXPECT_LE(area->geometry().right(), central->width()) << "nothing past the right edge";
    EXPECT_LE(label->width(), area->viewport()->width());
    EXPECT_LE(area->geometry().bottom(), grid->geometry().top());
    EXPECT_GT(grid->geometry().top(), gridBefore.top()) << "the lists moved down";
    EXPECT_LT(grid->height(), gridBefore.height()) << "and gave up height";
    EXPECT_EQ(Settled(&app->Window()).size(), before.size()) << "the window keeps its size";
}

}  // namespace
}  // namespace kestrove::test
