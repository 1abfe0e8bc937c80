#include <QAbstractItemModel>
#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <cstdio>

#include "MonitorAppFixture.h"
#include "monitor/settings/IniFile.h"
#include "monitor/watch/AlarmLog.h"
#include "testsupport/FakeTimers.h"

namespace kestrove::test {
namespace {

std::string HostMac(int prefix, int i) {
    char text[32];
    std::snprintf(text, sizeof text, "02-00-00-%02X-%02X-%02X", prefix, (i >> 8) & 0xFF, i & 0xFF);
    return text;
}

std::string HostIp(int i) {
    return "192.168." + std::to_string(100 + i / 200) + "." + std::to_string(1 + i % 200);
}

// The window on a /16 subnet, with `hosts` known hosts; `Change` gives every host a new MAC.
class AlarmListViewTest : public MonitorAppFixture {
protected:
    void StartWith(int hosts) {
        App();
        adapters->list.clear();
        adapters->Add("eth0", "00-AA-BB-CC-DD-01", "192.168.1.5", "255.255.0.0");
        for (int i = 0; i < hosts; ++i) {
            arp->Put(HostIp(i), HostMac(0, i));
        }
        ASSERT_TRUE(app->Start());
        app->Engine().ScanArpTable();
        Settle();
        list1 = app->Window().findChild<QListView*>("List1");
        list2 = app->Window().findChild<QListView*>("List2");
    }
    void Change(int first, int count, int prefix) {
        for (int i = first; i < first + count; ++i) {
            arp->Replace(HostIp(i), HostMac(prefix, i));
        }
        app->Engine().ScanArpTable();
        Settle();
    }
    void Settle() {
        app->Window().RefreshViews();
        QApplication::processEvents();
    }
    QString Row(QListView* list, int row) { return list->model()->index(row, 0).data().toString(); }
    int EngineRows() { return static_cast<int>(app->Engine().List1().Lines().size()); }

    QListView* list1 = nullptr;
    QListView* list2 = nullptr;
};

TEST_F(AlarmListViewTest, LongLinesAreShownWholeWithATooltipAndASideScroll) {
    StartWith(3);
    Change(0, 1, 1);
    // Another address showing this computer's own MAC: the longest alarm lines there are.
    arp->Put("192.168.1.66", "00-AA-BB-CC-DD-01");
    app->Engine().ScanArpTable();
    app->Engine().CheckDuplicates();
    Settle();
    for (QListView* list : {list1, list2}) {
        SCOPED_TRACE(list->objectName().toStdString());
        ASSERT_GT(list->model()->rowCount(), 1);
        EXPECT_EQ(list->textElideMode(), Qt::ElideNone);
        int widest = 0;
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            QModelIndex index = list->model()->index(row, 0);
            // The whole line first; an alarm's likely causes may follow on lines of their own.
            EXPECT_EQ(index.data(Qt::ToolTipRole).toString().section('\n', 0, 0), Row(list, row));
            int width = list->fontMetrics().horizontalAdvance(Row(list, row));
            widest = std::max(widest, width);
            EXPECT_GE(list->visualRect(index).width(), width) << "row " << row << " is cut";
        }
        QScrollBar* bar = list->horizontalScrollBar();
        EXPECT_GE(bar->maximum() + list->viewport()->width(), widest);
    }
    EXPECT_GT(list1->horizontalScrollBar()->maximum(), 0) << "an own-MAC alarm is wider than List1";
}

TEST_F(AlarmListViewTest, NewAlarmsScrollIntoViewUnlessTheUserScrolledUp) {
    StartWith(40);
    Change(0, 10, 1);
    auto newestVisible = [this] {
        QModelIndex last = list1->model()->index(list1->model()->rowCount() - 1, 0);
        return list1->viewport()->rect().contains(list1->visualRect(last).center());
    };
    EXPECT_TRUE(newestVisible());
    Change(10, 10, 1);
    EXPECT_TRUE(newestVisible());
    EXPECT_EQ(list1->verticalScrollBar()->value(), list1->verticalScrollBar()->maximum());

    list1->verticalScrollBar()->setValue(0);
    Change(20, 10, 1);
    EXPECT_EQ(list1->verticalScrollBar()->value(), 0) << "the user's place is kept";
    EXPECT_FALSE(newestVisible());
    EXPECT_EQ(list1->model()->rowCount(), EngineRows());
}

// The real window over an engine on fakes: a burst of 16,384 alarms raised by one scan.
class AlarmBurstTest : public ::testing::Test, public WatchEvents {
protected:
    void StartIconBlink() override {}
    void StopIconBlink() override {}
    void RequestImmediateReport() override {}
    void ScanActivity(bool) override {}
    void ViewsChanged() override { window.ViewsChanged(); }

    TempFolder dir;
    IniFile settings = IniFile::InFolder(dir.Path());
    AlarmLog log{dir.Path()};
    FakeArpTable arp;
    FakeAdapters adapterSource;
    OwnAdapters adapters{adapterSource};
    FakeResolver resolver;
    HostNameLookup hostNames{resolver};
    FakeClock clock;
    FakeTimerFactory timers{clock};
    WatchEngine engine{
        WatchServices{settings, log, arp, adapters, hostNames, clock, timers, *this}};
    MainWindow window{engine, settings};
};

TEST_F(AlarmBurstTest, SixteenThousandAlarmsAppendRowsWithoutReloadingPerAlarm) {
    constexpr int kHosts = 16384;
    adapterSource.Add("eth0", "00-AA-BB-CC-DD-01", "192.168.1.5", "255.255.0.0");
    adapters.GetOwnAdapters(&settings);
    for (int i = 0; i < kHosts; ++i) {
        arp.Put(HostIp(i), HostMac(0, i));
    }
    window.show();
    engine.ScanArpTable();
    window.RefreshViews();
    auto* list1 = window.findChild<QListView*>("List1");
    auto* list2 = window.findChild<QListView*>("List2");
    QSignalSpy resets(list1->model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(list1->model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy gridResets(window.findChild<QTableView*>("MSFlexGrid1")->model(),
                          &QAbstractItemModel::modelReset);
    for (int i = 0; i < kHosts; ++i) {
        arp.table[static_cast<std::size_t>(i)].mac = Mac(HostMac(1, i));
    }
    engine.ScanArpTable();
    window.RefreshViews();

    const auto& lines = engine.List1().Lines();
    ASSERT_GE(lines.size(), 2u * kHosts) << "every host changed its MAC";
    EXPECT_EQ(list1->model()->rowCount(), static_cast<int>(lines.size()));
    EXPECT_EQ(list1->model()->index(list1->model()->rowCount() - 1, 0).data().toString(),
              QString::fromStdString(lines.back()));
    EXPECT_LE(resets.count(), 1) << "only the first alarm replaces what the list showed";
    EXPECT_GE(resets.count() + inserts.count(), 1) << "the burst was drawn";
    EXPECT_LT(inserts.count(), kHosts / 16) << "a burst is drawn a few times, not per alarm";
    EXPECT_EQ(gridResets.count(), 0);
    EXPECT_EQ(list2->model()->rowCount(), kHosts) << "one history line per host";
}

}  // namespace
}  // namespace kestrove::test
