#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/LocalTime.h"

namespace kestrove {

// Start of the report period as "yyyy/mm/dd hh:mm:ss": one hour, day, week or calendar month
// before `now`. "None", and any text that is no period, gives "" (the whole log).
std::string PeriodStartText(std::string_view period, const LocalTime& now);

// Where the period begins in the log: the first occurrence of the longest of the prefixes of
// the period start cut after the date, the hour, the tens of minutes, the minute and the tens
// of seconds that occurs in the log; 0 when not even the date occurs or the start is empty. The
// log is in time order, so entries of that date, hour, ... just before the exact start are
// taken in as well.
//
// The log is searched as raw CP932 bytes, piece by piece: the stamp characters (digits, "/",
// " ", ":") never occur as the second byte of a double-byte character, so they are found at the
// same places as in the decoded text.
class PeriodStartSearch {
public:
    // A match needs this many bytes after its first byte, so the last ones of a piece are looked
    // at again with the next piece.
    static constexpr std::size_t kOverlap = 17;

    explicit PeriodStartSearch(std::string_view periodStart);
    PeriodStartSearch(const PeriodStartSearch&) = delete;
    PeriodStartSearch& operator=(const PeriodStartSearch&) = delete;

    // Looks at the matches that begin before `starts` in `window`, which is the log from byte
    // `offset` on and holds at least kOverlap bytes after `starts` unless it ends the log.
    void Scan(std::string_view window, std::uint64_t offset, std::size_t starts);
    // Nothing further can change the position: the longest prefix was found.
    bool Finished() const;
    // The date occurs: Position() is the start, though a longer prefix may still move it.
    bool FoundDate() const { return prefixes_ > 0 && found_[0] != kNotFound; }
    std::uint64_t Position() const;

private:
    static constexpr std::array<std::size_t, 5> kPrefixLengths = {10, 13, 15, 16, 18};
    static constexpr std::uint64_t kNotFound = UINT64_MAX;

    std::string start_;
    std::size_t prefixes_ = 0;  // how many prefixes the start text is long enough for
    std::array<std::uint64_t, 5> found_;
    std::boyer_moore_horspool_searcher<std::string::const_iterator> dateSearcher_;
};

// The search over a log held whole in memory.
std::size_t FindPeriodStart(std::string_view log, std::string_view periodStart);

}  // namespace kestrove
