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
    pending_.reserve(kBatchBytes + 64 * 1024);
}

void ReportFile::Flush() {
    WriteOrDrop(working_, pending_);
    WriteOrDrop(dated_, pending_);
    pending_.clear();
}

ReportFile::Committed ReportFile::Commit() {
    Flush();
    Committed committed;
    committed.working = CommitOrDrop(working_);
    committed.dated = CommitOrDrop(dated_);
    return committed;
}

void ReportFile::Discard() {
    pending_.clear();
    working_.reset();
    dated_.reset();
}

}  // namespace kestrove
