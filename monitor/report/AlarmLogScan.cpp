#include "monitor/report/AlarmLogScan.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "monitor/report/ReportPeriod.h"

namespace kestrove {
namespace {

constexpr std::size_t kPieceBytes = 1024 * 1024;

class LogReader {
public:
    // Pieces no larger than the log (and one byte to see its end), so a short log does not
    // cost a megabyte of memory for every report.
    LogReader(const std::filesystem::path& path, std::uintmax_t logBytes)
        : in_(path, std::ios::binary),
          pieceBytes_(
              static_cast<std::size_t>(std::min<std::uintmax_t>(kPieceBytes, logBytes + 1))),
          piece_(std::make_unique_for_overwrite<char[]>(pieceBytes_)) {}

    bool IsOpen() const { return in_.is_open(); }
    std::size_t PieceBytes() const { return pieceBytes_; }
    // Appends up to a piece to the buffer; the count read, 0 at the end, nothing on error.
    std::optional<std::size_t> ReadInto(std::string& buffer) {
        in_.read(piece_.get(), static_cast<std::streamsize>(pieceBytes_));
        auto got = static_cast<std::size_t>(in_.gcount());
        if (in_.bad()) {
            return std::nullopt;
        }
        buffer.append(piece_.get(), got);
        return got;
    }
    bool Seek(std::uint64_t offset) {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        return !in_.fail();
    }

private:
    std::ifstream in_;
    std::size_t pieceBytes_;
    std::unique_ptr<char[]> piece_;
};

// Keeps the bytes from `from` on at the front of the buffer, dropping those before.
void KeepFrom(std::string& buffer, std::size_t from) {
    std::memmove(buffer.data(), buffer.data() + from, buffer.size() - from);
    buffer.resize(buffer.size() - from);
}

std::optional<std::uint64_t> FindStart(LogReader& reader, std::string_view periodStart,
                                       std::string& buffer) {
    PeriodStartSearch search(periodStart);
    std::uint64_t offset = 0;
    buffer.clear();
    while (!search.Finished()) {
        std::optional<std::size_t> got = reader.ReadInto(buffer);
        if (!got) {
            return std::nullopt;
        }
        bool end = *got == 0;
        std::size_t overlap = std::min(buffer.size(), PeriodStartSearch::kOverlap);
        std::size_t starts = end ? buffer.size() : buffer.size() - overlap;
        search.Scan(buffer, offset, starts);
        if (end) {
            break;
        }
        KeepFrom(buffer, starts);
        offset += starts;
    }
    return search.Position();
}

// Hands the log from the reader's position on to `findings` in pieces that end after a CR LF,
// so no line is cut; a line longer than a piece is read on until its end.
bool CollectLines(LogReader& reader, ReportFindings& findings, std::string& buffer) {
    buffer.clear();
    while (true) {
        std::size_t searched = buffer.empty() ? 0 : buffer.size() - 1;
        std::optional<std::size_t> got = reader.ReadInto(buffer);
        if (!got) {
            return false;
        }
        if (*got == 0) {
            findings.AddPiece(buffer);
            return true;
        }
        // Only the new bytes (and the one before them) can hold a line end not seen before.
        std::size_t lastLineEnd = std::string_view(buffer).substr(searched).rfind("\r\n");
        if (lastLineEnd != std::string_view::npos) {
            std::size_t end = searched + lastLineEnd + 2;
            findings.AddPiece(std::string_view(buffer).substr(0, end));
            KeepFrom(buffer, end);
        }
    }
}

}  // namespace

AlarmLogScanStatus ScanAlarmLog(const std::filesystem::path& log, std::string_view periodStart,
                                ReportFindings& findings) {
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
    std::string buffer;
    buffer.reserve(reader.PieceBytes() + PeriodStartSearch::kOverlap);
    std::optional<std::uint64_t> start = FindStart(reader, periodStart, buffer);
    if (!start || !reader.Seek(*start) || !CollectLines(reader, findings, buffer)) {
        return AlarmLogScanStatus::Unreadable;
    }
    return AlarmLogScanStatus::Ok;
}

}  // namespace kestrove
