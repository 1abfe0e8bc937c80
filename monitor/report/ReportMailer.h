#pragma once

#include <filesystem>
#include <string_view>

namespace kestrove {

// The mail step that scheduled and immediate reports run right after building a report.
class ReportMailer {
public:
    virtual ~ReportMailer() = default;
    // Mails `attachment` with the subject when `[Report] SendByMail` is "1"; does nothing
    // otherwise. A failure becomes a line of the alarm log.
    virtual void SendReportMail(std::string_view subject,
                                const std::filesystem::path& attachment) = 0;
};

}  // namespace kestrove
