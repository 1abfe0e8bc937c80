#include "monitor/report/zip/mZip.h"

#include <zip.h>

#include <chrono>
#include <deque>
#include <memory>
#include <system_error>

#include "common/FileBytes.h"
#include "common/FileNameMatch.h"
#include "common/Utf8Path.h"
#include "monitor/report/Utf8Chars.h"
#include "monitor/report/zip/ZipFileList.h"
#include "monitor/report/zip/cZip.h"

namespace kestrove {
namespace {

namespace fs = std::filesystem;

struct ArchiveDiscarder {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveDiscarder>;

std::string Trimmed(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

// Comments and passwords go into the archive as UTF-8, which libzip requires of comments and
// current archivers use for passwords; cut without splitting a character.
std::string Utf8Cut(std::string_view text, std::size_t maxBytes) {
    return std::string(text.substr(0, Utf8PrefixLength(text, maxBytes)));
}

std::string ConvertLineEnds(std::string bytes, const ZipOptions& options) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        bool crlf = c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
        if (options.crlfToLf && crlf) {
            continue;
        }
        if (options.lfToCrlf && c == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
            out += '\r';
        }
        out += c;
    }
    return out;
}

std::time_t ModificationTime(const fs::path& file) {
    std::error_code ec;
    auto written = fs::last_write_time(file, ec);
    if (ec) {
        return 0;
    }
    return std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
}

// One archive being written: asks for the comment and password, adds the files and closes.
class ArchiveWriter {
public:
    ArchiveWriter(const ZipOptions& options, cZipEvents& events)
        : options_(options), events_(events) {}

    ZipResult Open(const std::string& path, bool keepEntries);
    ZipResult AskComment();
    ZipResult AskPassword();
    ZipResult Add(const ZipItem& item);
    ZipResult Close();

private:
    void Tell(const std::string& message) {
        if (!options_.quiet) {
            events_.Progress(1, message);
        }
    }
    bool NewerThanEntry(const ZipItem& item, zip_int64_t index) const;
    zip_source_t* SourceFor(const ZipItem& item);
    void AddFolderEntries(const std::string& name);

    const ZipOptions& options_;
    cZipEvents& events_;
    ArchiveHandle archive_;
    std::string password_;
    // Converted file contents; libzip reads them only when the archive is closed.
    std::deque<std::string> buffers_;
};

ZipResult ArchiveWriter::Open(const std::string& path, bool keepEntries) {
    // libzip would read an existing archive through a link and rename its result over the
    // link; an archive place someone turned into a link is refused like an unwritable one.
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        Tell("zip error: " + path + ": is a symbolic link");
        return ZipResult::OpenFailed;
    }
    int error = 0;
    archive_.reset(
        zip_open(path.c_str(), keepEntries ? ZIP_CREATE : ZIP_CREATE | ZIP_TRUNCATE, &error));
    if (!archive_) {
        zip_error_t details;
        zip_error_init_with_code(&details, error);
        Tell("zip error: " + path + ": " + zip_error_strerror(&details));
        zip_error_fini(&details);
        return ZipResult::OpenFailed;
    }
    return ZipResult::Ok;
}

ZipResult ArchiveWriter::AskComment() {
    std::string comment;
    bool cancel = false;
    events_.CommentRequest(comment, cancel);
    comment = Trimmed(comment);
    if (cancel || comment.empty()) {
        return ZipResult::Cancelled;
    }
    std::string bytes = Utf8Cut(comment, cZip::kMaxCommentBytes);
    if (zip_set_archive_comment(archive_.get(), bytes.data(),
                                static_cast<zip_uint16_t>(bytes.size())) != 0) {
        Tell("zip error: " + std::string(zip_strerror(archive_.get())));
        return ZipResult::WriteFailed;
    }
    return ZipResult::Ok;
}

ZipResult ArchiveWriter::AskPassword() {
    std::string answers[2];
    for (int round = 0; round < 2; ++round) {
        bool cancel = false;
        events_.PasswordRequest(answers[round], cZip::kMaxPasswordBytes, round == 1, cancel);
        answers[round] = Trimmed(answers[round]);
        if (cancel || answers[round].empty()) {
            return ZipResult::Cancelled;
        }
    }
    if (answers[0] != answers[1]) {
        Tell("zip error: password verification failed");
        return ZipResult::PasswordMismatch;
    }
    password_ = Utf8Cut(answers[0], cZip::kMaxPasswordBytes);
    return ZipResult::Ok;
}

bool ArchiveWriter::NewerThanEntry(const ZipItem& item, zip_int64_t index) const {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive_.get(), static_cast<zip_uint64_t>(index), 0, &stat) != 0 ||
        (stat.valid & ZIP_STAT_MTIME) == 0) {
        return true;
    }
    // Entry times keep only even seconds.
    return ModificationTime(item.source) > stat.mtime + 1;
}

zip_source_t* ArchiveWriter::SourceFor(const ZipItem& item) {
    if (!options_.crlfToLf && !options_.lfToCrlf) {
        return zip_source_file(archive_.get(), PathToUtf8(item.source).c_str(), 0, 0);
    }
    std::optional<std::string> bytes = ReadFileBytes(item.source);
    if (!bytes) {
        return nullptr;
    }
    buffers_.push_back(ConvertLineEnds(std::move(*bytes), options_));
    const std::string& data = buffers_.back();
    return zip_source_buffer(archive_.get(), data.data(), data.size(), 0);
}

void ArchiveWriter::AddFolderEntries(const std::string& name) {
    for (std::size_t slash = name.find('/'); slash != std::string::npos;
         slash = name.find('/', slash + 1)) {
        std::string folder = name.substr(0, slash + 1);
        if (zip_name_locate(archive_.get(), folder.c_str(), 0) < 0) {
            zip_dir_add(archive_.get(), folder.c_str(), ZIP_FL_ENC_UTF_8);
        }
    }
}

ZipResult ArchiveWriter::Add(const ZipItem& item) {
    bool cancel = false;
    events_.Cancel(item.entryName, cancel);
    if (cancel) {
        return ZipResult::Cancelled;
    }
    zip_int64_t existing = zip_name_locate(archive_.get(), item.entryName.c_str(), 0);
    bool selective = options_.update || options_.freshen;
    if (selective && ((existing < 0 && options_.freshen) ||
                      (existing >= 0 && !NewerThanEntry(item, existing)))) {
        if (options_.verbose) {
            Tell("  skipping: " + item.entryName);
        }
        return ZipResult::Ok;
    }
    zip_source_t* source = SourceFor(item);
    if (source == nullptr) {
        Tell("zip error: cannot read " + PathToUtf8(item.source));
        return ZipResult::ReadFailed;
    }
    zip_int64_t index = zip_file_add(archive_.get(), item.entryName.c_str(), source,
                                     ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        Tell("zip error: " + std::string(zip_strerror(archive_.get())));
        return ZipResult::WriteFailed;
    }
    auto entry = static_cast<zip_uint64_t>(index);
    if (options_.crlfToLf || options_.lfToCrlf) {
        zip_file_set_mtime(archive_.get(), entry, ModificationTime(item.source), 0);
    }
    if (!password_.empty()) {
        zip_file_set_encryption(archive_.get(), entry, ZIP_EM_AES_256, password_.c_str());
    }
    if (!options_.noDirectoryEntries && !options_.dropFolderNames) {
        AddFolderEntries(item.entryName);
    }
    Tell((existing >= 0 ? "  updating: " : "  adding: ") + item.entryName);
    return ZipResult::Ok;
}

ZipResult ArchiveWriter::Close() {
    // libzip writes a temporary file beside the archive and renames it over the old one only
    // when everything was written, so a failure here leaves the old archive whole.
    if (zip_close(archive_.get()) != 0) {
        Tell("zip error: " + std::string(zip_strerror(archive_.get())));
        return ZipResult::WriteFailed;
    }
    archive_.release();
    return ZipResult::Ok;
}

ZipResult Archive(const ZipRequest& request, cZipEvents& events) {
    const ZipOptions& options = request.options;
    if (request.specs.empty()) {
        return ZipResult::NothingToDo;
    }
    ExpandedSpecs found = ExpandFileSpecs(request.specs, options);
    for (const std::string& fileSpec : found.unmatched) {
        if (!options.quiet) {
            events.Progress(1, "zip error: name not matched: " + fileSpec);
        }
    }
    if (!found.unmatched.empty()) {
        return ZipResult::NameNotMatched;
    }
    ArchiveWriter writer(options, events);
    bool keepEntries = options.append || options.update || options.freshen;
    ZipResult result = writer.Open(request.zipFile, keepEntries);
    if (result == ZipResult::Ok && options.comment) {
        result = writer.AskComment();
    }
    if (result == ZipResult::Ok && options.encrypt) {
        result = writer.AskPassword();
    }
    for (std::size_t i = 0; result == ZipResult::Ok && i < found.items.size(); ++i) {
        result = writer.Add(found.items[i]);
    }
    return result == ZipResult::Ok ? writer.Close() : result;
}

ZipResult DeleteEntries(const ZipRequest& request, cZipEvents& events) {
    int error = 0;
    ArchiveHandle archive(zip_open(request.zipFile.c_str(), 0, &error));
    if (!archive) {
        return ZipResult::OpenFailed;
    }
    std::vector<std::string> patterns = EntryPatterns(request.specs, request.options);
    bool deleted = false;
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        auto index = static_cast<zip_uint64_t>(i);
        const char* name = zip_get_name(archive.get(), index, 0);
        for (const std::string& pattern : patterns) {
            if (name != nullptr && FileNameMatches(pattern, name, false)) {
                if (!request.options.quiet) {
                    events.Progress(1, std::string("  deleting: ") + name);
                }
                zip_delete(archive.get(), index);
                deleted = true;
                break;
            }
        }
    }
    if (!deleted) {
        return ZipResult::NameNotMatched;
    }
    if (zip_close(archive.get()) != 0) {
        return ZipResult::WriteFailed;
    }
    archive.release();
    return ZipResult::Ok;
}

}  // namespace

ZipResult DoZip(const ZipRequest& request, cZipEvents& events) {
    if (request.specs.size() > static_cast<std::size_t>(cZip::kMaxFileSpecs)) {
        return ZipResult::TooManySpecs;
    }
    return request.options.deleteEntries ? DeleteEntries(request, events)
                                         : Archive(request, events);
}

}  // namespace kestrove
