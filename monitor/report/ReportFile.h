#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "common/ReplacingFile.h"
#include "monitor/report/BatchWriter.h"

namespace kestrove {

// The report being written, to report.htm and to the dated copy at once, so both hold the same
// bytes without either being read back. Each goes to a temporary beside its place and replaces
// it only when whole; one that cannot be written is dropped and the other goes on. Full batches
// are written on a thread of their own while the next ones are made.
class ReportFile {
public:
    ReportFile(const std::filesystem::path& working, const std::filesystem::path& dated);

    // Append to the document here, then call Appended().
    std::string& Bytes() { return pending_; }
    void Appended() {
        if (pending_.size() >= kBatchBytes) {
            Flush();
        }
    }

    struct Committed {
        bool working = false;
        bool dated = false;
    };
    // Puts the files in their places.
    Committed Commit();
    // Drops both files; their places keep what they held.
    void Discard();

private:
    static constexpr std::size_t kBatchBytes = 256 * 1024;
    // A row or two past a batch fits without the buffer growing.
    static constexpr std::size_t kBufferBytes = kBatchBytes + 64 * 1024;

    void Flush();
    // On the writer's thread while it runs, on the caller's once it has finished.
    void WriteBoth(std::string_view bytes);

    std::string pending_;
    std::unique_ptr<ReplacingFile> working_;
    std::unique_ptr<ReplacingFile> dated_;
    // Last, so it is stopped before the files it writes to go.
    BatchWriter writer_{[this](std::string_view bytes) { WriteBoth(bytes); }};
};

}  // namespace kestrove
