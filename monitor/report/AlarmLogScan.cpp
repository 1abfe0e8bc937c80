#include "monitor/report/AlarmLogScan.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

#include "monitor/report/ReportPeriod.h"

namespace kestrove {
namespace {

constexpr std::size_t kPieceBytes = 1024 * 1024;

class LogReader {
public:
    explicit LogReader(const std::filesystem::path& path) : in_(path, std::ios::binary) {}

    bool IsOpen() const { return in_.is_open(); }
    // Appends up to kPieceBytes to the buffer; the count read, 0 at the end, nothing on error.
    std::optional<std::size_t> ReadInto(std::string& buffer) {
        std::size_t kept = buffer.size();
        buffer.resize(kept + kPieceBytes);
        in_.read(buffer.data() + kept, static_cast<std::streamsize>(kPieceBytes));
        auto got = static_cast<std::size_t>(in_.gcount());
        buffer.resize(kept + got);
        if (in_.bad()) {
            return std::nullopt;
        }
        return got;
    }
    bool Seek(std::uint64_t offset) {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        return !in_.fail();
    }

private:
    std::ifstream in_;
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
    LogReader reader(log);
    if (!reader.IsOpen()) {
        return AlarmLogScanStatus::Unreadable;
    }
    std::string buffer;
    buffer.reserve(kPieceBytes + PeriodStartSearch::kOverlap);
    std::optional<std::uint64_t> start = FindStart(reader, periodStart, buffer);
    if (!start || !reader.Seek(*start) || !CollectLines(reader, findings, buffer)) {
        return AlarmLogScanStatus::Unreadable;
    }
    return AlarmLogScanStatus::Ok;
}

}  // namespace kestrove
