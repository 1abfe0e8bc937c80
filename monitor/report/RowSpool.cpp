#include "monitor/report/RowSpool.h"

namespace kestrove {

void RowSpool::Added() {
    ++rows_;
    if (pending_.size() < kMemoryBytes || scratchFailed_) {
        return;
    }
    if (!scratch_) {
        scratch_ = ScratchFile::Create(scratchFolder_);
    }
    // Without a scratch file the rows stay in memory: a report that needs more memory is better
    // than one that leaves rows out.
    if (!scratch_ || !scratch_->Write(pending_)) {
        scratchFailed_ = true;
        return;
    }
    spilled_ = true;
    pending_.clear();
}

void RowSpool::Clear() {
    pending_.clear();
    rows_ = 0;
    if (spilled_ && !scratch_->Clear()) {
        scratch_.reset();
    }
    spilled_ = false;
}

bool RowSpool::MoveTo(const std::function<bool(std::string_view)>& sink) {
    bool ok = !spilled_ || scratch_->ReadAll(sink);
    ok = ok && sink(pending_);
    Clear();
    return ok;
}

}  // namespace kestrove
