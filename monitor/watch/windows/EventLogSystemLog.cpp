#include "monitor/watch/windows/EventLogSystemLog.h"

#include <string>

#include "common/Utf8Path.h"

namespace kestrove {

HANDLE EventLogSystemLog::OpenLocalSource(const wchar_t* source) {
    return ::RegisterEventSourceW(nullptr, source);
}

EventLogSystemLog::~EventLogSystemLog() {
    if (source_ != nullptr) {
        ::DeregisterEventSource(source_);
    }
}

void EventLogSystemLog::Send(std::string_view alarmLogLine) {
    // Opened at the first line, once: an event log service that is not running only means the
    // line is not collected.
    if (!opened_) {
        opened_ = true;
        source_ = open_(kSource);
    }
    if (source_ == nullptr) {
        return;
    }
    SyslogMessage message = MakeSyslogMessage(alarmLogLine);
    constexpr int kWarning = 4;
    WORD type =
        (message.priority & 7) <= kWarning ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE;
    std::wstring text = PathFromUtf8(message.text).wstring();
    const wchar_t* strings[] = {text.c_str()};
    ::ReportEventW(source_, type, 0, 0, nullptr, 1, 0, strings, nullptr);
}

std::unique_ptr<SystemLog> CreateSystemLog() {
    return std::make_unique<EventLogSystemLog>();
}

}  // namespace kestrove
