#include "monitor/report/LineSpool.h"

#include <cstdint>
#include <cstring>

namespace kestrove {
namespace {

constexpr std::size_t kLengthBytes = sizeof(std::uint32_t);

// Hands on the whole records at the front of `bytes`; returns how many bytes they took.
std::size_t HandOnRecords(std::string_view bytes,
                          const std::function<void(std::string_view)>& onLine) {
    std::size_t pos = 0;
    while (bytes.size() - pos >= kLengthBytes) {
        std::uint32_t length = 0;
        std::memcpy(&length, bytes.data() + pos, kLengthBytes);
        if (bytes.size() - pos - kLengthBytes < length) {
            break;
        }
        onLine(bytes.substr(pos + kLengthBytes, length));
        pos += kLengthBytes + length;
    }
    return pos;
}

}  // namespace

void LineSpool::Add(std::string_view line) {
    // A line of 4 GB could not be held to be read anyway; one that long is kept cut.
    line = line.substr(0, UINT32_MAX);
    auto length = static_cast<std::uint32_t>(line.size());
    pending_.append(reinterpret_cast<const char*>(&length), kLengthBytes);
    pending_ += line;
    ++lines_;
    if (pending_.size() < kMemoryBytes || scratchFailed_) {
        return;
    }
    if (!scratch_) {
        scratch_ = ScratchFile::Create(scratchFolder_);
    }
    // Without a scratch file the lines stay in memory: a report that needs more memory is
    // better than one that leaves rows out.
    if (!scratch_ || !scratch_->Write(pending_)) {
        scratchFailed_ = true;
        return;
    }
    spilled_ = true;
    pending_.clear();
}

void LineSpool::Clear() {
    pending_.clear();
    lines_ = 0;
    if (spilled_ && !scratch_->Clear()) {
        scratch_.reset();
    }
    spilled_ = false;
}

bool LineSpool::MoveTo(const std::function<void(std::string_view)>& onLine) {
    bool ok = true;
    if (spilled_) {
        // Records run across the scratch file's blocks: the cut one waits for the next block.
        std::string carry;
        ok = scratch_->ReadAll([&](std::string_view block) {
            if (carry.empty()) {
                carry.assign(block.substr(HandOnRecords(block, onLine)));
                return true;
            }
            carry += block;
            carry.erase(0, HandOnRecords(carry, onLine));
            return true;
        });
        ok = ok && carry.empty();
    }
    if (ok) {
        HandOnRecords(pending_, onLine);
    }
    Clear();
    return ok;
}

}  // namespace kestrove
