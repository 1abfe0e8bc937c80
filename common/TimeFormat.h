#pragma once

#include <string>

#include "common/LocalTime.h"

namespace kestrove {

// "yyyy/mm/dd hh:mm:ss": the alarm log, the alarm list and the report period.
std::string FormatLogStamp(const LocalTime& t);

// "yyyy-mm-dd_hh-mm-ss": report file names.
std::string FormatFileStamp(const LocalTime& t);

// "yyyy年mm月dd日 hh時mm分ss秒": the report header (UTF-8).
std::string FormatJapaneseStamp(const LocalTime& t);

// "hh:mm:ss" on the 24-hour clock.
std::string FormatClock(const LocalTime& t);

}  // namespace kestrove
