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
    // Opens the event source (RegisterEventSourceW on this computer); null when refused.
    using SourceOpener = HANDLE (*)(const wchar_t* source);

    explicit EventLogSystemLog(SourceOpener open = &OpenLocalSource) : open_(open) {}
    ~EventLogSystemLog() override;
    EventLogSystemLog(const EventLogSystemLog&) = delete;
    EventLogSystemLog& operator=(const EventLogSystemLog&) = delete;

    void Send(std::string_view alarmLogLine) override;

    static HANDLE OpenLocalSource(const wchar_t* source);

private:
    SourceOpener open_;
    HANDLE source_ = nullptr;
    bool opened_ = false;
};

}  // namespace kestrove
