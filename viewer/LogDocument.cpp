#include "viewer/LogDocument.h"

#include <functional>

#include "common/Cp932.h"
#include "common/FileBytes.h"
#include "viewer/SaveTarget.h"

namespace kestrove {
namespace logtext {
namespace {

// Decoded file text to box text in one pass: CR LF and a lone CR end a line ('\n' in the box),
// a lone LF is kept as the line separator, and a break at the very end starts no line.
std::string BoxTextFromDecoded(std::string_view text) {
    std::string box;
    box.reserve(text.size());
    bool endsWithBreak = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t at = text.find_first_of("\r\n", start);
        if (at == std::string_view::npos) {
            box.append(text.substr(start));
            endsWithBreak = false;
            break;
        }
        box.append(text.substr(start, at - start));
        start = at + 1;
        if (text[at] == '\n') {
            box.append(kLineSeparator);
            endsWithBreak = false;
            continue;
        }
        if (start < text.size() && text[start] == '\n') {
            ++start;
        }
        box += '\n';
        endsWithBreak = true;
    }
    if (endsWithBreak) {
        box.pop_back();
    }
    return box;
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
    return BoxTextFromDecoded(Cp932ToUtf8(bytes));
}

std::size_t SliceEnd(std::string_view bytes, std::size_t from, std::size_t atLeast) {
    if (from >= bytes.size() || bytes.size() - from <= atLeast) {
        return bytes.size();
    }
    std::size_t cr = bytes.find('\r', from + atLeast);
    if (cr == std::string_view::npos) {
        return bytes.size();
    }
    return cr + 1 < bytes.size() && bytes[cr + 1] == '\n' ? cr + 2 : cr + 1;
}

std::string FileFromBoxText(std::string_view boxText) {
    // Every break ends a line with CR LF, the last line too. A CR that slipped into the box
    // (pasted text) would split the line on the next load anyway; it is written as the line
    // break it stands for, CR LF as one.
    std::string text;
    text.reserve(boxText.size() + boxText.size() / 16 + 2);
    constexpr char kSeparatorLead = kLineSeparator[0];
    std::size_t start = 0;
    while (true) {
        std::size_t at = boxText.find_first_of(std::string_view("\r\n\xE2"), start);
        if (at == std::string_view::npos) {
            text.append(boxText.substr(start));
            break;
        }
        text.append(boxText.substr(start, at - start));
        start = at + 1;
        char c = boxText[at];
        if (c == kSeparatorLead) {
            if (boxText.substr(at, kLineSeparator.size()) == kLineSeparator) {
                text += '\n';
                start = at + kLineSeparator.size();
            } else {
                text += c;
            }
            continue;
        }
        if (c == '\r' && start < boxText.size() && boxText[start] == '\n') {
            ++start;
        }
        text += "\r\n";
    }
    text += "\r\n";
    return Utf8ToCp932(text);
}

}  // namespace logtext

LogDocument::Fingerprint LogDocument::FingerprintOf(std::string_view bytes) {
    return {bytes.size(), std::hash<std::string_view>{}(bytes)};
}

std::string LogDocument::Load() {
    // Each form of the text is let go as soon as the next is made: a large log is held at
    // most twice at any moment.
    std::string text = Cp932ToUtf8(LoadBytes());
    return logtext::BoxTextFromDecoded(text);
}

std::string LogDocument::LoadBytes() {
    known_ = FingerprintOf({});
    lastLoad_ = LoadResult::NotLoaded;
    if (path_.empty()) {
        return "";
    }
    FileReadResult read = ReadFileBytesOrMissing(path_, kMaxFileBytes);
    if (read.status == FileReadStatus::TooLarge) {
        lastLoad_ = LoadResult::TooLarge;
    }
    if (read.status != FileReadStatus::Ok) {
        return "";
    }
    known_ = FingerprintOf(read.bytes);
    lastLoad_ = LoadResult::Loaded;
    return std::move(read.bytes);
}

bool LogDocument::ChangedOnDisk() const {
    if (path_.empty()) {
        return false;
    }
    FileReadResult now = ReadFileBytesOrMissing(path_, kMaxFileBytes);
    switch (now.status) {
        case FileReadStatus::Missing:
            return false;  // nothing there to lose
        case FileReadStatus::TooLarge:
            return true;
        case FileReadStatus::Error: {
            // A file there that cannot be read may hold anything; a path that leads nowhere
            // (a file where a folder should be) holds nothing to lose.
            return IsRegularFileAt(path_);
        }
        case FileReadStatus::Ok:
            break;
    }
    return FingerprintOf(now.bytes) != known_;
}

LogDocument::SaveResult LogDocument::Save(std::string_view boxText) {
    if (path_.empty()) {
        return SaveResult::NoPath;
    }
    if (lastLoad_ == LoadResult::TooLarge) {
        return SaveResult::Failed;
    }
    std::optional<SaveTarget> target = FindSaveTarget(path_);
    if (!target) {
        return SaveResult::Failed;
    }
    std::string bytes = logtext::FileFromBoxText(boxText);
    if (!WriteFileAtomically(target->path, bytes, target->mode)) {
        return SaveResult::Failed;
    }
    known_ = FingerprintOf(bytes);
    return SaveResult::Saved;
}

}  // namespace kestrove
