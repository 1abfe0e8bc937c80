#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestrove {

// The text of a log file as the viewer's box holds it, and back.
//
// A file line ends at CR or CR LF; a lone LF stays inside its line. In the box the lines are
// separated by '\n', and an LF inside a line is held as U+2028 (line separator), so it shows as
// a break within its line and is written back as the LF it was.
namespace logtext {

inline constexpr std::string_view kLineSeparator = "\u2028";

// The lines of decoded file text. A break at the very end starts no further line, so "a\r\n"
// and "a" are both one line and an empty text has none.
std::vector<std::string> SplitLines(std::string_view text);

// CP932 file bytes to box text (UTF-8); invalid bytes show as U+FFFD. One decode and one pass
// over the text, with no string per line: a log of hundreds of megabytes loads in seconds.
std::string BoxTextFromFile(std::string_view bytes);

// Where a slice of file bytes that starts at `from` and holds at least `atLeast` bytes ends:
// just after a line end, or at the end of the bytes. A CR is never part of a two-byte
// character, so each slice decodes on its own, and the box text of the whole is the slices'
// box texts joined with '\n'.
std::size_t SliceEnd(std::string_view bytes, std::size_t from, std::size_t atLeast);

// Box text to CP932 file bytes: every line ends in CR LF, the last one too. Linear as well.
std::string FileFromBoxText(std::string_view boxText);

}  // namespace logtext

// The file the viewer shows: loading, the check for changes made on disk since, and saving.
class LogDocument {
public:
    enum class LoadResult { Loaded, NotLoaded, TooLarge };
    enum class SaveResult { Saved, NoPath, Failed };

    // Larger files are not loaded: their text (and the box's copy of it) would not fit.
    static constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

    explicit LogDocument(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& Path() const { return path_; }

    // The box text of the file; empty when it is missing, unreadable, empty, anything but a
    // regular file (a FIFO or device is never waited on) or larger than kMaxFileBytes.
    std::string Load();
    // The same, still as the file's bytes, for a caller that decodes them piece by piece.
    std::string LoadBytes();
    // How the last Load went: NotLoaded for every case of an empty box but TooLarge.
    LoadResult LastLoad() const { return lastLoad_; }

    // True when the file now holds something other than what was loaded or last saved, such as
    // alarm lines the monitor appended meanwhile (or it cannot be read to tell).
    bool ChangedOnDisk() const;

    // Replaces the file with the box text. The new file is written beside it and renamed over
    // it, so a failure at any point leaves the old file whole. A file too large to have been
    // loaded is never replaced by the box that could not show it.
    SaveResult Save(std::string_view boxText);

private:
    // What is known of the file's bytes as loaded or last saved, to tell a change on disk
    // without keeping a second copy of a large file.
    struct Fingerprint {
        std::size_t size = 0;
        std::size_t hash = 0;
        bool operator==(const Fingerprint&) const = default;
    };
    static Fingerprint FingerprintOf(std::string_view bytes);

    std::filesystem::path path_;
    Fingerprint known_;  // of nothing when the file was missing
    LoadResult lastLoad_ = LoadResult::NotLoaded;
};

}  // namespace kestrove
