#include "monitor/report/ReportPaths.h"

#include <string>

#include "common/TimeFormat.h"
#include "common/Utf8Path.h"

namespace kestrove {
namespace {

// Windows takes "\\" and "/" alike; on Linux a backslash is part of a name.
constexpr bool kBackslashSeparates = std::filesystem::path::preferred_separator == L'\\';

}  // namespace

std::filesystem::path DatedReportPath(const SettingsStore& settings,
                                      const std::filesystem::path& dataFolder,
                                      const LocalTime& now) {
    std::string name = "Report_" + FormatFileStamp(now) + ".htm";
    std::string folder = settings.ReadIni("Report", "SaveTo");
    if (folder.empty()) {
        return dataFolder / "log" / name;
    }
    if (folder.back() != '/' && !(kBackslashSeparates && folder.back() == '\\')) {
        // A Windows folder written with backslashes goes on with one, so paths never mix.
        bool backslash = kBackslashSeparates && folder.find('/') == std::string::npos;
        folder += backslash ? '\\' : '/';
    }
    return PathFromUtf8(folder + name);
}

std::filesystem::path ArchivePath(const std::filesystem::path& reportPath) {
    std::string path = PathToUtf8(reportPath);
    std::size_t nameStart = path.find_last_of(kBackslashSeparates ? "/\\" : "/");
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    std::size_t dot = path.rfind('.');
    // A name without any "." gets ".zip" appended rather than losing the name, or a folder
    // its part after a ".".
    if (dot == std::string::npos || dot < nameStart) {
        return PathFromUtf8(path + ".zip");
    }
    return PathFromUtf8(path.substr(0, dot + 1) + "zip");
}

std::filesystem::path WorkingReportPath(const std::filesystem::path& dataFolder) {
    return dataFolder / "report.htm";
}

}  // namespace kestrove
