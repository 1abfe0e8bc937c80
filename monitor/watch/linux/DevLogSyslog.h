#pragma once

#include <filesystem>
#include <string>

#include "monitor/watch/SystemLog.h"

namespace kestrove {

// Datagrams to the local syslog socket in the form the C library's syslog() sends:
// "<PRI>Mmm dd hh:mm:ss kestrove[pid]: text". The socket is opened at the first line and
// opened again once when a send fails (the daemon was restarted).
class DevLogSyslog final : public SystemLog {
public:
    static constexpr const char* kIdent = "kestrove";

    explicit DevLogSyslog(std::filesystem::path socketPath = "/dev/log")
        : path_(std::move(socketPath)) {}
    ~DevLogSyslog() override;
    DevLogSyslog(const DevLogSyslog&) = delete;
    DevLogSyslog& operator=(const DevLogSyslog&) = delete;

    void Send(std::string_view alarmLogLine) override;

private:
    bool Connect();
    void Close();

    std::filesystem::path path_;
    int fd_ = -1;
};

}  // namespace kestrove
