// Alarms reach a real notification daemon (dunst on a private session bus, under Xvfb with
// openbox) whether the window is open, minimised or in the tray, and the tray balloon shows
// them where no service answers.
#include <QApplication>
#include <QDBusConnection>
#include <QLabel>
#include <QTest>

#include "../MonitorAppFixture.h"
#include "monitor/ui/QtTrayIcon.h"
#include "monitor/ui/linux/FreedesktopNotifier.h"
#include "monitor/watch/WatchTexts.h"
#include "testsupport/NotificationDaemon.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

class DesktopNotificationTest : public MonitorAppFixture {
protected:
    void SetUp() override {
        daemon_ = std::make_unique<NotificationDaemon>(qgetenv("DISPLAY").toStdString());
        ASSERT_FALSE(daemon_->BusAddress().empty()) << daemon_->Error();
        bus_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            QString::fromStdString(daemon_->BusAddress()), QStringLiteral("test-bus")));
        ASSERT_TRUE(bus_->isConnected());
        makeNotifier = [this] { return std::make_unique<FreedesktopNotifier>(*bus_); };
    }
    void TearDown() override {
        app.reset();
        bus_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("test-bus"));
    }

    // Starts the monitor with the gateway known, so each call of Poison() raises a change.
    void Start() {
        App();
        resolver->names[0xC0A80101] = "router";
        arp->Put("192.168.1.1", "00-AA-BB-CC-DD-0E");
        ASSERT_TRUE(app->Start());
        app->Engine().ScanArpTable();
    }
    void Poison(const char* mac) {
        // Past the 5 s between two notifications: each alarm goes out on its own.
        clock->Advance(10s);
        arp->Replace("192.168.1.1", mac);
        app->Engine().ScanArpTable();
    }
    bool Arrived(std::size_t count) {
        return QTest::qWaitFor([&] { return daemon_->Received().size() >= count; }, 20000);
    }
    // The tray host's balloon, if one is open.
    QWidget* Balloon() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && QByteArray(w->metaObject()->className()) == "QBalloonTip") {
                return w;
            }
        }
        return nullptr;
    }

    std::unique_ptr<NotificationDaemon> daemon_;
    std::unique_ptr<QDBusConnection> bus_;
};

TEST_F(DesktopNotificationTest, AlarmReachesTheDaemonWithTheWindowOpenMinimisedAndInTheTray) {
    Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app->Window()));
    Poison("02-11-22-33-44-55");
    ASSERT_TRUE(Arrived(1));
    NotificationDaemon::Notification n = daemon_->Received()[0];
    EXPECT_EQ(n.appName, "Kestrove");
    EXPECT_EQ(n.summary, kChangeMessage);
    EXPECT_EQ(n.urgency, "CRITICAL");
    EXPECT_EQ(n.icon, "kestrove");
    EXPECT_TRUE(n.picture) << "the icon's picture comes with it";
    EXPECT_EQ(n.desktopEntry, "org.example.kestrove");
    EXPECT_EQ(
        n.body.rfind("(192.168.  1.  1:router) 00-AA-BB-CC-DD-0E -&gt; 02-11-22-33-44-55\n", 0), 0u)
        << "the detail first, escaped for the service's markup: " << n.body;
    EXPECT_NE(n.body.find("ローカル管理アドレス"), std::string::npos) << "then the causes";
    RecordProperty("received", n.appName + " | " + n.urgency + " | " + n.summary + " | " + n.body);

    app->Window().showMinimized();
    QTest::qWait(200);
    Poison("02-11-22-33-44-66");
    ASSERT_TRUE(Arrived(2)) << "minimised";

    // A tray host from here on: minimising hides the window into the tray.
    ChildProcess trayer({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                         "--width", "120", "--height", "32"});
    ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 20000));
    app->Tray().RestoreFromTray();
    app->Tray().HideToTray();
    ASSERT_TRUE(app->Tray().InTray());
    Poison("02-11-22-33-44-77");
    ASSERT_TRUE(Arrived(3)) << "in the tray";
    EXPECT_EQ(daemon_->Received()[2].summary, kChangeMessage);
    EXPECT_EQ(Balloon(), nullptr) << "the service showed it; no balloon as well";
}

TEST_F(DesktopNotificationTest, WithoutAServiceTheTrayBalloonShowsTheAlarmAlsoWithTheWindowOpen) {
    ChildProcess trayer({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                         "--width", "120", "--height", "32"});
    ASSERT_TRUE(QTest::qWaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 20000));
    daemon_->StopDaemon();
    Start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&app->Window()));
    Poison("02-11-22-33-44-55");
    ASSERT_TRUE(QTest::qWaitFor([&] { return Balloon() != nullptr; }, 20000));
    QStringList texts;
    for (QLabel* label : Balloon()->findChildren<QLabel*>()) {
        texts << label->text();
    }
    EXPECT_TRUE(
        texts.join('\n').contains(QString::fromUtf8(kChangeMessage.data(), kChangeMessage.size())))
        << texts.join('\n').toStdString();
    EXPECT_TRUE(daemon_->Received().empty());
}

}  // namespace
}  // namespace kestrove::test
