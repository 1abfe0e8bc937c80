#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace kestrove {

// "log/alart.log" below the data folder: one CP932 line per start, end, alarm and mail
// error, each ended by CRLF. The file is opened and closed for every line, so the viewer or an
// editor can read or replace it between two writes.
class AlarmLog {
public:
    explicit AlarmLog(const std::filesystem::path& dataFolder)
        : folder_(dataFolder / "log"), path_(folder_ / "alart.log") {}

    // Appends one line (given without its line end). A line that cannot be written (folder not
    // creatable, disk full, no access, a symlink or anything but a regular file in its place) is
    // skipped whole and false returned; a partly written line is taken back, so the next line
    // still starts on a line of its own.
    bool AppendAlarmLine(std::string_view text) const;

    // Also hands every line to `mirror` (the system log), whether the file took it or not.
    void SetMirror(std::function<void(std::string_view)> mirror) { mirror_ = std::move(mirror); }
    // Called at the first line the file could not take, once: a log that silently records
    // nothing would be trusted for alarms it never kept.
    void SetOnFirstFailure(std::function<void()> onFailure) { onFailure_ = std::move(onFailure); }

    // Deletes the log at once; a missing file or any other error is ignored.
    void Clear() const;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
    std::function<void(std::string_view)> mirror_;
    std::function<void()> onFailure_;
    mutable bool failed_ = false;
};

}  // namespace kestrove
