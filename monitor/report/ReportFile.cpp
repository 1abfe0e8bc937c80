#include "monitor/report/ReportFile.h"

namespace kestrove {
namespace {

void WriteOrDrop(std::unique_ptr<ReplacingFile>& file, std::string_view bytes) {
    if (file && !file->Write(bytes)) {
        file.reset();
    }
}

bool CommitOrDrop(std::unique_ptr<ReplacingFile>& file) {
    bool ok = file && file->Commit();
    file.reset();
    return ok;
}

}  // namespace

ReportFile::ReportFile(const std::filesystem::path& working, const std::filesystem::path& dated)
    : working_(ReplacingFile::Create(working)), dated_(ReplacingFile::Create(dated)) {
    pending_.reserve(kBufferBytes);
}

void ReportFile::Flush() {
    writer_.Put(pending_);
    pending_.reserve(kBufferBytes);
}

void ReportFile::WriteBoth(std::string_view bytes) {
    WriteOrDrop(working_, bytes);
    WriteOrDrop(dated_, bytes);
}

ReportFile::Committed ReportFile::Commit() {
    writer_.Finish();
    // What is left is less than a batch; a small document never starts the thread at all.
    WriteBoth(pending_);
    pending_.clear();
    Committed committed;
    committed.working = CommitOrDrop(working_);
    committed.dated = CommitOrDrop(dated_);
    return committed;
}

void ReportFile::Discard() {
    writer_.Abandon();
    pending_.clear();
    working_.reset();
    dated_.reset();
}

}  // namespace kestrove
