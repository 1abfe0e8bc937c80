#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QStringList>
#include <optional>

#include "AutostartPlace.h"
#include "monitor/ui/MainWindow.h"
#include "monitor/ui/MonitorApp.h"
#include "testsupport/FakeClock.h"
#include "testsupport/FakeNetInfo.h"
#include "testsupport/FakeProcessControl.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {

// Mail that never leaves the test: records what would have been sent.
class RecordingMail final : public MailLibrary {
public:
    std::string SendMail(std::string_view server, std::string_view, std::string_view,
                         std::string_view subject, std::string_view,
                         std::string_view attachment) override {
        sent.push_back({std::string(server), std::string(subject), std::string(attachment)});
        return error;
    }
    std::string RcvMail(std::string_view, std::string_view, std::string_view, std::string_view,
                        std::string_view) override {
        return "";
    }
    struct Sent {
        std::string server;
        std::string subject;
        std::string attachment;
    };
    std::vector<Sent> sent;
    std::string error;
};

// A system log that keeps the lines it is sent.
class RecordingSystemLog final : public SystemLog {
public:
    void Send(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

// Desktop notifications kept as "summary|body".
class RecordingNotifier final : public DesktopNotifier {
public:
    explicit RecordingNotifier(QStringList& shown) : shown_(shown) {}
    void Show(const QString& summary, const QString& body) override {
        shown_ << summary + "|" + body;
    }

private:
    QStringList& shown_;
};

// The whole monitor in a temporary program folder, offscreen, on fake network sources.
class MonitorAppFixture : public ::testing::Test {
protected:
    MonitorAppFixture();
    ~MonitorAppFixture() override;

    // Builds the monitor; call after preparing setting.ini and the fakes.
    MonitorApp& App();
    QAction* Action(const char* name) { return App().Window().Action(name); }
    std::string Log() const;
    std::vector<std::string> LogLines() const;

    TempFolder dir;
    TempFolder config;
    AutostartPlace autostart{config.Path()};
    // Set before App() to keep the files elsewhere than in the program folder `dir`.
    std::optional<DataFolderChoice> data;
    FakeArpTable* arp = nullptr;
    FakeAdapters* adapters = nullptr;
    FakeProcessControl* processes = nullptr;
    FakeClock* clock = nullptr;
    RecordingMail* mail = nullptr;
    // Set before App() to send through another mail library than RecordingMail (`mail` then
    // stays null).
    std::function<std::unique_ptr<MailLibrary>()> makeMail;
    // Set before App() to notify through another notifier than the recording one.
    std::function<std::unique_ptr<DesktopNotifier>()> makeNotifier;
    FakeResolver* resolver = nullptr;
    QStringList opened;
    QStringList notifications;
    RecordingSystemLog* syslog = nullptr;
    std::unique_ptr<MonitorApp> app;
};

}  // namespace kestrove::test
