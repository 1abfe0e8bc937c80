#pragma once

#include <string_view>

#include "common/LocalTime.h"
#include "common/SettingsStore.h"

namespace kestrove {

// Whether a scheduled report is due at `now` under `[Report] Freq` and its Freq_* key, worked
// out on the formatted clock ("hh:mm:ss") and date as text:
//   Hourly  — minute 00;
//   Daily   — `[Report] Freq_Daily` ("9時") without its last character, two digits, at hh:00;
//   Weekly  — `[Report] Freq_Weekly` ("月曜日") is today's weekday, at 12:00;
//   Monthly — `[Report] Freq_Monthly` ("30日") without its last character, two digits, is the
//             day of the month, at 12:00.
// Any other frequency, and an empty Freq_* value, is never due.
bool ReportDue(const SettingsStore& settings, std::string_view freq, const LocalTime& now);

}  // namespace kestrove
