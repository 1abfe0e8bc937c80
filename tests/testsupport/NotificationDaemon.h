#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "testsupport/ChildProcess.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {

// A desktop notification service of the test's own: a private D-Bus session bus
// (dbus-daemon) and the dunst daemon on it, drawing on the given X display and printing every
// notification it receives, which `Received()` reads back. Nothing touches the user's bus.
class NotificationDaemon {
public:
    struct Notification {
        std::string appName;
        std::string summary;
        std::string body;
        std::string icon;
        std::string desktopEntry;
        std::string urgency;
        bool picture = false;  // an "image-data" picture came with it
    };

    explicit NotificationDaemon(const std::string& display);
    ~NotificationDaemon();
    NotificationDaemon(const NotificationDaemon&) = delete;
    NotificationDaemon& operator=(const NotificationDaemon&) = delete;

    // Empty when the bus or the daemon did not come up; `Error()` says why.
    const std::string& BusAddress() const { return address_; }
    const std::string& Error() const { return error_; }

    // Every notification received so far, in order.
    std::vector<Notification> Received() const;
    // Ends the daemon (the bus stays): calls then find no service.
    void StopDaemon();

private:
    TempFolder dir_;
    std::unique_ptr<ChildProcess> bus_;
    std::unique_ptr<ChildProcess> daemon_;
    std::string address_;
    std::string error_;
};

}  // namespace kestrove::test
