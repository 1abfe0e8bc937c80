#include "testsupport/NotificationDaemon.h"

#include <signal.h>

#include <chrono>

#include "testsupport/RunCommand.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

// The quoted value of "\tname: '...'" in dunst's print-out, which may run over several lines.
std::string Field(const std::string& block, const std::string& name, const std::string& next) {
    std::string open = "\t" + name + ": '";
    std::size_t start = block.find(open);
    if (start == std::string::npos) {
        return {};
    }
    start += open.size();
    std::size_t end = block.find("'\n\t" + next + ":", start);
    if (end == std::string::npos) {
        end = block.find("'\n", start);
    }
    return end == std::string::npos ? std::string{} : block.substr(start, end - start);
}

// The unquoted value of "\tname: value".
std::string Plain(const std::string& block, const std::string& name) {
    std::string open = "\t" + name + ": ";
    std::size_t start = block.find(open);
    if (start == std::string::npos) {
        return {};
    }
    start += open.size();
    return block.substr(start, block.find('\n', start) - start);
}

}  // namespace

NotificationDaemon::NotificationDaemon(const std::string& display) {
    std::filesystem::path socket = dir_ / "bus";
    address_ = "unix:path=" + socket.string();
    // A bus of its own without any service folder: nothing is started on demand, so a stopped
    // daemon stays stopped and no installed service answers in its place.
    std::filesystem::path busConfig = dir_ / "bus.conf";
    WriteFile(busConfig,
              "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
              " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
              "<busconfig><type>session</type><listen>" +
                  address_ +
                  "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                  "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                  "<allow own=\"*\"/></policy></busconfig>\n");
    bus_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "dbus-daemon", "--config-file=" + busConfig.string(), "--nofork", "--nopidfile"});
    if (!bus_->Started() || !WaitFor([&] { return std::filesystem::exists(socket); }, 60s)) {
        error_ = "dbus-daemon did not start (is the dbus-daemon package installed?)";
        address_.clear();
        return;
    }
    // A configuration of its own (the user's must not change what is printed); with markup
    // read, the body is printed as it arrived.
    std::filesystem::path config = dir_ / "dunstrc";
    WriteFile(config, "[global]\n    markup = full\n");
    daemon_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"dunst", "-print", "-config", config.string()},
        std::vector<std::string>{"DISPLAY=" + display, "DBUS_SESSION_BUS_ADDRESS=" + address_},
        (dir_ / "received").string());
    bool up =
        daemon_->Started() &&
        WaitFor(
            [&] {
                std::string out;
                RunCommand({"dbus-send", "--bus=" + address_, "--print-reply",
                            "--dest=org.freedesktop.DBus", "/", "org.freedesktop.DBus.NameHasOwner",
                            "string:org.freedesktop.Notifications"},
                           &out);
                return out.find("boolean true") != std::string::npos;
            },
            60s);
    if (!up) {
        error_ = "dunst did not take the notification service (is the dunst package installed?)";
        address_.clear();
    }
}

NotificationDaemon::~NotificationDaemon() {
    daemon_.reset();
    bus_.reset();
}

void NotificationDaemon::StopDaemon() {
    if (daemon_) {
        daemon_->Signal(SIGTERM);
        daemon_->Wait(10s);
    }
}

std::vector<NotificationDaemon::Notification> NotificationDaemon::Received() const {
    std::string text = ReadFile(dir_ / "received");
    std::vector<Notification> all;
    std::size_t at = 0;
    while ((at = text.find("{\n\tappname:", at)) != std::string::npos) {
        std::size_t end = text.find("\n}", at);
        std::string block =
            text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        Notification n;
        n.appName = Field(block, "appname", "summary");
        n.summary = Field(block, "summary", "body");
        n.body = Field(block, "body", "icon");
        n.icon = Field(block, "icon", "raw_icon set");
        n.picture = Plain(block, "raw_icon set") == "true";
        n.desktopEntry = Field(block, "desktop_entry", "category");
        n.urgency = Plain(block, "urgency");
        all.push_back(std::move(n));
        at = end == std::string::npos ? text.size() : end;
    }
    return all;
}

}  // namespace kestrove::test
