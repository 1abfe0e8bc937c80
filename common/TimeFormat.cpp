#include "common/TimeFormat.h"

#include <cstdio>

namespace kestrove {
namespace {

template <typename... Args>
std::string Format(const char* pattern, Args... args) {
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, pattern, args...);
    return std::string(buf, n < 0 ? 0 : std::min<std::size_t>(n, sizeof buf - 1));
}

}  // namespace

std::string FormatLogStamp(const LocalTime& t) {
    return Format("%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
}

std::string FormatFileStamp(const LocalTime& t) {
    return Format("%04d-%02d-%02d_%02d-%02d-%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
}

std::string FormatJapaneseStamp(const LocalTime& t) {
    return Format("%04d年%02d月%02d日 %02d時%02d分%02d秒", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
}

std::string FormatClock(const LocalTime& t) {
    return Format("%02d:%02d:%02d", t.hour, t.minute, t.second);
}

}  // namespace kestrove
