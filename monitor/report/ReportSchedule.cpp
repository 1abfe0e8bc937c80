#include "monitor/report/ReportSchedule.h"

#include <string>

#include "common/TimeFormat.h"
#include "monitor/report/ReportTexts.h"
#include "monitor/report/Utf8Chars.h"

namespace kestrove {
namespace {

constexpr std::string_view kWeekdayNames[] = {"日曜日", "月曜日", "火曜日", "水曜日",
                                              "木曜日", "金曜日", "土曜日"};

// The value without its suffix ("時", "日"), whatever that last character is, and with "0"
// before a single remaining character.
std::string TwoDigitNumber(std::string_view value) {
    std::size_t moved = 0;
    std::string_view number = value.substr(0, BackChars(value, value.size(), 1, moved));
    if (SkipChars(number, 0, 1) == number.size() && !number.empty()) {
        return "0" + std::string(number);
    }
    return std::string(number);
}

}  // namespace

bool ReportDue(const SettingsStore& settings, std::string_view freq, const LocalTime& now) {
    std::string clock = FormatClock(now);
    std::string_view hourMinute = std::string_view(clock).substr(0, 5);
    if (freq == kPeriodHourly) {
        return clock.substr(3, 2) == "00";
    }
    if (freq == kPeriodDaily) {
        std::string hour = settings.ReadIni("Report", "Freq_Daily");
        return !hour.empty() && hourMinute == TwoDigitNumber(hour) + ":00";
    }
    if (freq == kPeriodWeekly) {
        return hourMinute == "12:00" &&
               settings.ReadIni("Report", "Freq_Weekly") == kWeekdayNames[now.weekday % 7];
    }
    if (freq == kPeriodMonthly) {
        std::string day = settings.ReadIni("Report", "Freq_Monthly");
        return !day.empty() && TwoDigitNumber(day) == FormatLogStamp(now).substr(8, 2) &&
               hourMinute == "12:00";
    }
    return false;
}

}  // namespace kestrove
