#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/ScratchFile.h"

namespace kestrove {

// Rows of one report table, as CP932 HTML, kept until the document reaches their place: in
// memory up to a few megabytes, beyond that in a scratch file beside the report, so a report of
// a million rows needs no more memory than one of a thousand.
class RowSpool {
public:
    explicit RowSpool(std::filesystem::path scratchFolder)
        : scratchFolder_(std::move(scratchFolder)) {}

    // Append a row's bytes here, then call Added().
    std::string& Bytes() { return pending_; }
    void Added();
    std::size_t Rows() const { return rows_; }
    // Forgets every row.
    void Clear();
    // Hands the rows, in order, to `sink`; false when the scratch file failed or the sink said
    // stop.
    bool MoveTo(const std::function<bool(std::string_view)>& sink);

private:
    static constexpr std::size_t kMemoryBytes = 4 * 1024 * 1024;

    std::filesystem::path scratchFolder_;
    std::string pending_;
    std::unique_ptr<ScratchFile> scratch_;
    bool scratchFailed_ = false;
    bool spilled_ = false;
    std::size_t rows_ = 0;
};

}  // namespace kestrove
