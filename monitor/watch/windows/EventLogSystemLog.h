#pragma once

#include <windows.h>

#include "monitor/watch/SystemLog.h"

namespace kestrove {

// Lines to the Windows Application event log under the source "Kestrove": alarms as warnings,
// the start and end lines as information. No message file is registered (that needs an
// installer with administrator rights), so the event viewer shows the text as the event's
// only insertion string, after its note that the description is missing.
class EventLogSystemLog final : public SystemLog {
public:
    static constexpr const wchar_t* kSource = L"Kestrove";

    EventLogSystemLog() = default;
    ~EventLogSystemLog() override;
    EventLogSystemLog(const EventLogSystemLog&) = delete;
    EventLogSystemLog& operator=(const EventLogSystemLog&) = delete;

    void Send(std::string_view alarmLogLine) override;

private:
    HANDLE source_ = nullptr;
    bool opened_ = false;
};

}  // namespace kestrove
