#include "monitor/report/ReportPaths.h"

#include <string>

#include "common/TimeFormat.h"

namespace kestrove {

std::filesystem::path DatedReportPath(const SettingsStore& settings,
                                      const std::filesystem::path& dataFolder,
                                      const LocalTime& now) {
    std::string name = "Report_" + FormatFileStamp(now) + ".htm";
    std::string folder = settings.ReadIni("Report", "SaveTo");
    if (folder.empty()) {
        return dataFolder / "log" / name;
    }
    if (folder.back() != std::filesystem::path::preferred_separator) {
        folder += std::filesystem::path::preferred_separator;
    }
    return std::filesystem::path(folder + name);
}

std::filesystem::path ArchivePath(const std::filesystem::path& reportPath) {
    std::string path = reportPath.string();
    std::size_t nameStart = path.rfind(std::filesystem::path::preferred_separator);
    nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
    std::size_t dot = path.rfind('.');
    // A name without any "." gets ".zip" appended rather than losing the name, or a folder
    // its part after a ".".
    if (dot == std::string::npos || dot < nameStart) {
        return path + ".zip";
    }
    return path.substr(0, dot + 1) + "zip";
}

std::filesystem::path WorkingReportPath(const std::filesystem::path& dataFolder) {
    return dataFolder / "report.htm";
}

}  // namespace kestrove
