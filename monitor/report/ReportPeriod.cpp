#include "monitor/report/ReportPeriod.h"

#include <algorithm>

#include "common/TimeFormat.h"
#include "monitor/report/ReportTexts.h"

namespace kestrove {
namespace {

constexpr std::size_t kDateLength = 10;

// Wall-clock arithmetic: the same time of day a number of days or hours back, with month and
// year borders worked out by the calendar.
LocalTime Earlier(LocalTime t, int days, int hours) {
    t.day -= days;
    t.hour -= hours;
    return ToLocalTime(FromLocalTime(t));
}

}  // namespace

std::string PeriodStartText(std::string_view period, const LocalTime& now) {
    if (period == kPeriodHourly) {
        return FormatLogStamp(Earlier(now, 0, 1));
    }
    if (period == kPeriodDaily) {
        return FormatLogStamp(Earlier(now, 1, 0));
    }
    if (period == kPeriodWeekly) {
        return FormatLogStamp(Earlier(now, 7, 0));
    }
    if (period == kPeriodMonthly) {
        return FormatLogStamp(OneMonthEarlier(now));
    }
    return {};
}

PeriodStartSearch::PeriodStartSearch(std::string_view periodStart)
    : start_(periodStart.substr(0, kPrefixLengths.back())),
      dateSearcher_(start_.cbegin(), start_.cbegin() + std::min(start_.size(), kDateLength)) {
    found_.fill(kNotFound);
    while (prefixes_ < kPrefixLengths.size() && start_.size() >= kPrefixLengths[prefixes_]) {
        ++prefixes_;
    }
}

void PeriodStartSearch::Scan(std::string_view window, std::uint64_t offset, std::size_t starts) {
    // Every prefix begins with the date, so one pass over the date's occurrences finds the
    // first occurrence of each of them.
    auto from = window.begin();
    while (!Finished()) {
        from = std::search(from, window.end(), dateSearcher_);
        std::size_t at = static_cast<std::size_t>(from - window.begin());
        if (from == window.end() || at >= starts) {
            return;
        }
        std::string_view rest = window.substr(at, start_.size());
        std::size_t common = static_cast<std::size_t>(
            std::mismatch(rest.begin(), rest.end(), start_.begin()).first - rest.begin());
        for (std::size_t i = 0; i < prefixes_ && kPrefixLengths[i] <= common; ++i) {
            if (found_[i] == kNotFound) {
                found_[i] = offset + at;
            }
        }
        ++from;
    }
}

bool PeriodStartSearch::Finished() const {
    return prefixes_ == 0 || found_[prefixes_ - 1] != kNotFound;
}

std::uint64_t PeriodStartSearch::Position() const {
    std::uint64_t position = 0;
    for (std::size_t i = 0; i < prefixes_ && found_[i] != kNotFound; ++i) {
        position = found_[i];
    }
    return position;
}

std::size_t FindPeriodStart(std::string_view log, std::string_view periodStart) {
    PeriodStartSearch search(periodStart);
    search.Scan(log, 0, log.size());
    return static_cast<std::size_t>(search.Position());
}

}  // namespace kestrove
