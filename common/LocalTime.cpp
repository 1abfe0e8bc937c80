#include "common/LocalTime.h"

#include <ctime>

namespace kestrove {

LocalTime ToLocalTime(TimePoint t) {
    std::time_t secs = std::chrono::system_clock::to_time_t(t);
    std::tm tm = ToLocalCalendar(secs).fields;
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                     tm.tm_min,         tm.tm_sec,     tm.tm_wday};
}

TimePoint FromLocalTime(const LocalTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

LocalTime OneMonthEarlier(const LocalTime& local) {
    LocalTime earlier = local;
    if (--earlier.month < 1) {
        earlier.month = 12;
        --earlier.year;
    }
    using namespace std::chrono;
    auto lastDay = year_month_day_last(year{earlier.year},
                                       month_day_last{month{static_cast<unsigned>(earlier.month)}})
                       .day();
    earlier.day = std::min(earlier.day, static_cast<int>(static_cast<unsigned>(lastDay)));
    earlier.weekday = static_cast<int>(
        weekday{sys_days{year{earlier.year} / earlier.month / earlier.day}}.c_encoding());
    return earlier;
}

}  // namespace kestrove
