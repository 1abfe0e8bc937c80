#pragma once

#include <chrono>
#include <ctime>

namespace kestrove {

using TimePoint = std::chrono::system_clock::time_point;

// A wall-clock reading broken into its fields, in the computer's local time zone.
struct LocalTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 4;  // 0 = Sunday .. 6 = Saturday
};

LocalTime ToLocalTime(TimePoint t);

// The C calendar fields of `t` in local time and the zone's offset from UTC at that moment, in
// seconds east (daylight saving included).
struct LocalCalendar {
    std::tm fields{};
    long utcOffsetSeconds = 0;
};
LocalCalendar ToLocalCalendar(std::time_t t);

// The time point of a local wall-clock reading; the weekday field is ignored.
TimePoint FromLocalTime(const LocalTime& local);

// The same wall-clock time one calendar month earlier; a day the earlier month lacks becomes
// that month's last day (31 March gives 28 or 29 February).
LocalTime OneMonthEarlier(const LocalTime& local);

}  // namespace kestrove
