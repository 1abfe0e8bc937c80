#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

namespace kestrove {

// The mail step that scheduled and immediate reports run right after building a report.
class ReportMailer {
public:
    // Called on the monitor's thread when the mail step is over (sent, failed and logged, or
    // not sent at all).
    using MailDone = std::function<void()>;

    virtual ~ReportMailer() = default;
    // Mails `attachment` with the subject when `[Report] SendByMail` is "1"; does nothing
    // otherwise. A failure becomes a line of the alarm log. `done` may come before this
    // returns, or later when the mail goes out in the background.
    virtual void SendReportMail(std::string_view subject, const std::filesystem::path& attachment,
                                MailDone done) = 0;
};

}  // namespace kestrove
