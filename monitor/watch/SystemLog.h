#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kestrove {

// The system log (syslog: journald, rsyslog), where administrators collect alarms of many
// machines. Sending never blocks the watch and never fails loudly: a log daemon that is not
// running only means the line is not collected.
class SystemLog {
public:
    virtual ~SystemLog() = default;
    // One alarm-log line (UTF-8, with its leading time stamp).
    virtual void Send(std::string_view alarmLogLine) = 0;
};

// Facility user, ident "kestrove"; alarms as warnings, the start and end lines as information.
// The alarm log's own time stamp is dropped (syslog stamps every line) and tabs and other
// control characters become blanks, so a hostile host name cannot forge a second line.
struct SyslogMessage {
    int priority = 0;
    std::string text;
};
SyslogMessage MakeSyslogMessage(std::string_view alarmLogLine);

// The platform's system log.
std::unique_ptr<SystemLog> CreateSystemLog();

}  // namespace kestrove
