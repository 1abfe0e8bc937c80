#include "MonitorAppFixture.h"

#include "common/Cp932.h"
#include "common/ui/MessageBox.h"

namespace kestrove::test {

MonitorAppFixture::MonitorAppFixture() {
    MessageBox::SetAutoAnswer(true);
}

MonitorAppFixture::~MonitorAppFixture() {
    app.reset();
    MessageBox::ClearHistory();
}

MonitorApp& MonitorAppFixture::App() {
    if (app) {
        return *app;
    }
    MonitorPlatform platform;
    auto arpTable = std::make_unique<FakeArpTable>();
    auto adapterSource = std::make_unique<FakeAdapters>();
    auto processControl = std::make_unique<FakeProcessControl>();
    auto fakeClock = std::make_unique<FakeClock>();
    arp = arpTable.get();
    adapters = adapterSource.get();
    processes = processControl.get();
    clock = fakeClock.get();
    adapters->Add("eth0", "00-AA-BB-CC-DD-01", "192.168.1.5", "255.255.255.0");
    platform.arpTable = std::move(arpTable);
    platform.adapters = std::move(adapterSource);
    auto fakeResolver = std::make_unique<FakeResolver>();
    resolver = fakeResolver.get();
    platform.resolver = std::move(fakeResolver);
    platform.processes = std::move(processControl);
    platform.autostart = autostart.Create(dir.Path());
    platform.clock = std::move(fakeClock);
    if (makeMail) {
        platform.mail = makeMail();
    } else {
        platform.mail = std::make_unique<RecordingMail>();
        mail = static_cast<RecordingMail*>(platform.mail.get());
    }
    platform.openUrl = [this](const QString& url) { opened << url; };
    platform.notifier =
        makeNotifier ? makeNotifier() : std::make_unique<RecordingNotifier>(notifications);
    auto recordingSyslog = std::make_unique<RecordingSystemLog>();
    syslog = recordingSyslog.get();
    platform.syslog = std::move(recordingSyslog);
    app = data ? std::make_unique<MonitorApp>(dir.Path(), *data, std::move(platform))
               : std::make_unique<MonitorApp>(dir.Path(), std::move(platform));
    return *app;
}

std::string MonitorAppFixture::Log() const {
    return Cp932ToUtf8(ReadFile(dir / "log" / "alart.log"));
}

std::vector<std::string> MonitorAppFixture::LogLines() const {
    return ReadCp932Lines(dir / "log" / "alart.log");
}

}  // namespace kestrove::test
