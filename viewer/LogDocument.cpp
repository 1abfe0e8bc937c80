#include "viewer/LogDocument.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/Cp932.h"
#include "common/FileBytes.h"

namespace kestrove {
namespace logtext {
namespace {

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t cr = text.find('\r'); cr != std::string_view::npos;
         cr = text.find('\r', start)) {
        lines.emplace_back(text.substr(start, cr - start));
        start = cr + 1;
        if (start < text.size() && text[start] == '\n') {
            ++start;
        }
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
    return lines;
}

std::string BoxTextFromFile(std::string_view bytes) {
    std::string box;
    std::vector<std::string> lines = SplitLines(Cp932ToUtf8(bytes));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ReplaceAll(lines[i], "\n", kLineSeparator);
        if (i > 0) {
            box += '\n';
        }
        box += lines[i];
    }
    return box;
}

std::string FileFromBoxText(std::string_view boxText) {
    std::string file;
    // A CR that slipped into the box (pasted text) would split the line on the next load
    // anyway; it is written as the line break it stands for.
    std::string text(boxText);
    ReplaceAll(text, "\r\n", "\n");
    ReplaceAll(text, "\r", "\n");
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        ReplaceAll(line, kLineSeparator, "\n");
        file += Utf8ToCp932(line);
        file += "\r\n";
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return file;
}

}  // namespace logtext

std::string LogDocument::Load() {
    known_.clear();
    if (path_.empty()) {
        return "";
    }
    FileReadResult read = ReadFileBytesOrMissing(path_);
    if (read.status != FileReadStatus::Ok) {
        return "";
    }
    known_ = std::move(read.bytes);
    return logtext::BoxTextFromFile(known_);
}

bool LogDocument::ChangedOnDisk() const {
    if (path_.empty()) {
        return false;
    }
    FileReadResult now = ReadFileBytesOrMissing(path_);
    switch (now.status) {
        case FileReadStatus::Missing:
            return false;  // nothing there to lose
        case FileReadStatus::Error: {
            // A file there that cannot be read may hold anything; a path that leads nowhere
            // (a file where a folder should be) holds nothing to lose.
            struct stat st {};
            return ::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
        }
        case FileReadStatus::Ok:
            break;
    }
    return now.bytes != known_;
}

LogDocument::SaveResult LogDocument::Save(std::string_view boxText) {
    if (path_.empty()) {
        return SaveResult::NoPath;
    }
    // Through a link the file it points to is replaced, not the link.
    std::filesystem::path target = path_;
    struct stat link {};
    if (::lstat(path_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        std::error_code ec;
        target = std::filesystem::canonical(path_, ec);
        if (ec) {
            return SaveResult::Failed;
        }
    }
    mode_t mode = 0644;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        // A read-only file stays untouched although its folder would allow the rename.
        if (!S_ISREG(st.st_mode) || ::access(target.c_str(), W_OK) != 0) {
            return SaveResult::Failed;
        }
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return SaveResult::Failed;
    }
    std::string bytes = logtext::FileFromBoxText(boxText);
    if (!WriteFileAtomically(target, bytes, mode)) {
        return SaveResult::Failed;
    }
    known_ = std::move(bytes);
    return SaveResult::Saved;
}

}  // namespace kestrove
