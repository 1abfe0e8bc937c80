#pragma once

#include <chrono>

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

// The time point of a local wall-clock reading; the weekday field is ignored.
TimePoint FromLocalTime(const LocalTime& local);

// The same wall-clock time one calendar month earlier; a day the earlier month lacks becomes
// that month's last day (31 March gives 28 or 29 February).
LocalTime OneMonthEarlier(const LocalTime& local);

}  // namespace kestrove
