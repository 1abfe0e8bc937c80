#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "common/ScratchFile.h"

namespace kestrove {

// Log lines of one report table, kept until the document reaches their place: in memory up to
// a few megabytes, beyond that in a scratch file beside the report, so a report of a million
// rows needs no more memory than one of a thousand. Lines are kept as they came and turned into
// rows only when written, so lines taken back cost no more than their copy.
class LineSpool {
public:
    explicit LineSpool(std::filesystem::path scratchFolder)
        : scratchFolder_(std::move(scratchFolder)) {}

    void Add(std::string_view line);
    std::size_t Lines() const { return lines_; }
    // Forgets every line.
    void Clear();
    // Hands the lines, in order, to `onLine`, then forgets them; false when the scratch file
    // could not be read back.
    bool MoveTo(const std::function<void(std::string_view)>& onLine);

private:
    static constexpr std::size_t kMemoryBytes = 4 * 1024 * 1024;

    std::filesystem::path scratchFolder_;
    std::string pending_;  // each line as its length (four bytes) and its bytes
    std::unique_ptr<ScratchFile> scratch_;
    bool scratchFailed_ = false;
    bool spilled_ = false;
    std::size_t lines_ = 0;
};

}  // namespace kestrove
