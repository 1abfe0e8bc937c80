#include "monitor/report/AlarmLogScan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "common/Cp932.h"
#include "monitor/report/ReportPeriod.h"

namespace kestrove {
namespace {

constexpr std::size_t kPieceBytes = 1024 * 1024;
constexpr std::uint64_t kNoStart = UINT64_MAX;

// The log's bytes not yet handed on, read straight into one buffer; it grows only for a line
// longer than itself.
class LogReader {
public:
    // No larger than the log (and one byte to see its end), so a short log does not cost a
    // megabyte of memory for every report.
    LogReader(const std::filesystem::path& path, std::uintmax_t logBytes)
        : in_(path, std::ios::binary),
          capacity_(static_cast<std::size_t>(std::min<std::uintmax_t>(kPieceBytes, logBytes + 1))),
          data_(std::make_unique_for_overwrite<char[]>(capacity_)) {}

    bool IsOpen() const { return in_.is_open(); }
    std::string_view Held() const { return {data_.get(), size_}; }
    // Reads on after the held bytes; the count read, 0 at the end, nothing on error.
    std::optional<std::size_t> Fill() {
        if (size_ == capacity_) {
            Grow();
        }
        in_.read(data_.get() + size_, static_cast<std::streamsize>(capacity_ - size_));
        auto got = static_cast<std::size_t>(in_.gcount());
        if (in_.bad()) {
            return std::nullopt;
        }
        size_ += got;
        return got;
    }
    void Drop(std::size_t count) {
        std::memmove(data_.get(), data_.get() + count, size_ - count);
        size_ -= count;
    }
    bool Rewind() {
        size_ = 0;
        in_.clear();
        in_.seekg(0);
        return !in_.fail();
    }

private:
    void Grow() {
        std::size_t capacity = std::max(capacity_ * 2, kPieceBytes);
        auto data = std::make_unique_for_overwrite<char[]>(capacity);
        std::memcpy(data.get(), data_.get(), size_);
        data_ = std::move(data);
        capacity_ = capacity;
    }

    std::ifstream in_;
    std::size_t capacity_;
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
};

// Where the period begins, as far as the log read so far tells.
class PeriodStart {
public:
    explicit PeriodStart(std::string_view periodStart) : search_(periodStart) {
        if (search_.Finished()) {
            start_ = 0;
        }
    }

    bool Fixed() const { return whole_ || search_.Finished(); }
    std::uint64_t Start() const { return start_; }
    // Looks at the stamps that begin before `starts`; true when the start moved.
    bool Scan(std::string_view window, std::uint64_t offset, std::size_t starts) {
        search_.Scan(window, offset, starts);
        std::uint64_t start = search_.FoundDate() ? search_.Position() : kNoStart;
        bool moved = start != start_;
        start_ = start;
        return moved;
    }
    // Not even the date occurs: the whole log.
    void TakeWholeLog() {
        start_ = 0;
        whole_ = true;
    }

private:
    PeriodStartSearch search_;
    std::uint64_t start_ = kNoStart;
    bool whole_ = false;
};

// Every line up to the longest handed on whole fits into one piece with its CR LF.
static_assert(kMaxLogLineBytes + 2 <= kPieceBytes);

std::string_view Capped(std::string_view line) {
    return line.size() <= kMaxLogLineBytes
               ? line
               : line.substr(0, Cp932PrefixLength(line, kMaxLogLineBytes));
}

// One pass over the log from its start. Only complete lines are looked at: a stamp never holds
// a CR or LF, so every match lies inside one line and no bytes need looking at twice. A line
// longer than a piece is kept by its head while the rest of it goes by, searched for stamps
// only.
class Pass {
public:
    Pass(LogReader& reader, PeriodStart& period, AlarmLogLines& lines)
        : reader_(reader), period_(period), lines_(lines), fixed_(period.Fixed()) {}

    bool Run();

private:
    void Search(std::string_view held, std::size_t starts);
    void PassLongLine(std::string_view held);
    void HandOnLines(std::string_view held, std::size_t end);

    LogReader& reader_;
    PeriodStart& period_;
    AlarmLogLines& lines_;
    bool fixed_;
    std::uint64_t offset_ = 0;  // where the held bytes begin in the log
    bool inLongLine_ = false;
    std::uint64_t longLineStart_ = 0;
    std::string longLineHead_;
};

bool Pass::Run() {
    if (fixed_) {
        lines_.StartFixed();
    }
    std::size_t searched = 0;  // held bytes known to hold no CR LF before their last byte
    while (true) {
        std::optional<std::size_t> got = reader_.Fill();
        if (!got) {
            return false;
        }
        std::string_view held = reader_.Held();
        std::size_t end = held.size();
        if (*got > 0) {
            std::size_t lastLineEnd = held.substr(searched).rfind("\r\n");
            if (lastLineEnd == std::string_view::npos) {
                if (held.size() >= kPieceBytes) {
                    PassLongLine(held);
                    held = reader_.Held();
                }
                searched = held.empty() ? 0 : held.size() - 1;
                continue;
            }
            end = searched + lastLineEnd + 2;
        }
        Search(held, end);
        HandOnLines(held, end);
        if (*got == 0) {
            return true;
        }
        reader_.Drop(end);
        offset_ += end;
        searched = 0;
    }
}

void Pass::Search(std::string_view held, std::size_t starts) {
    if (fixed_) {
        return;
    }
    if (period_.Scan(held, offset_, starts)) {
        lines_.Restart();
    }
    if (period_.Fixed()) {
        fixed_ = true;
        lines_.StartFixed();
    }
}

void Pass::PassLongLine(std::string_view held) {
    if (!inLongLine_) {
        inLongLine_ = true;
        longLineStart_ = offset_;
        longLineHead_.assign(Capped(held));
    }
    // Kept: the bytes a stamp that begins before them may need, and a CR whose LF comes next.
    std::size_t starts = held.size() - (PeriodStartSearch::kOverlap + 1);
    Search(held, starts);
    reader_.Drop(starts);
    offset_ += starts;
}

// Hands on the lines of held[0, end) that begin at or after the period's start.
void Pass::HandOnLines(std::string_view held, std::size_t end) {
    std::uint64_t start = period_.Start();
    std::size_t pos = 0;
    if (inLongLine_) {
        // The held bytes begin with the end of the long line.
        std::size_t lineEnd = held.find("\r\n");
        pos = lineEnd == std::string_view::npos || lineEnd >= end ? end : lineEnd + 2;
        if (start != kNoStart && longLineStart_ >= start) {
            lines_.Line(longLineHead_);
        }
        inLongLine_ = false;
        longLineHead_ = std::string();
    }
    if (start == kNoStart || start >= offset_ + end) {
        return;
    }
    while (pos < end) {
        std::size_t lineEnd = held.find("\r\n", pos);
        std::size_t next = lineEnd == std::string_view::npos || lineEnd >= end ? end : lineEnd + 2;
        if (offset_ + pos >= start) {
            lines_.Line(Capped(held.substr(pos, std::min(lineEnd, end) - pos)));
        }
        pos = next;
    }
}

}  // namespace

AlarmLogScanStatus ScanAlarmLog(const std::filesystem::path& log, std::string_view periodStart,
                                AlarmLogLines& lines) {
    std::error_code ec;
    std::filesystem::file_status status = std::filesystem::status(log, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
        return AlarmLogScanStatus::Missing;
    }
    if (ec || status.type() != std::filesystem::file_type::regular) {
        return AlarmLogScanStatus::Unreadable;
    }
    std::uintmax_t logBytes = std::filesystem::file_size(log, ec);
    LogReader reader(log, ec ? kPieceBytes : logBytes);
    if (!reader.IsOpen()) {
        return AlarmLogScanStatus::Unreadable;
    }
    PeriodStart period(periodStart);
    if (!Pass(reader, period, lines).Run()) {
        return AlarmLogScanStatus::Unreadable;
    }
    if (period.Start() == kNoStart) {
        period.TakeWholeLog();
        if (!reader.Rewind() || !Pass(reader, period, lines).Run()) {
            return AlarmLogScanStatus::Unreadable;
        }
    }
    return AlarmLogScanStatus::Ok;
}

}  // namespace kestrove
