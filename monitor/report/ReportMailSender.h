#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "common/Clock.h"
#include "common/SettingsStore.h"
#include "monitor/report/ReportMailer.h"
#include "monitor/report/mail/MailLibrary.h"
#include "monitor/watch/AlarmLog.h"

namespace kestrove {

inline constexpr std::string_view kReportMailBody = "自動作成された報告書を添付します。\r\n";

// Mails a report as the [Report] settings say, with POP before SMTP or SMTP AUTH where chosen.
// A failed send is written to the alarm log, also while recording is off: it is the only
// trace the user gets of a report that never arrived.
class ReportMailSender final : public ReportMailer {
public:
    ReportMailSender(SettingsStore& settings, const AlarmLog& log, const Clock& clock,
                     std::filesystem::path dataFolder, MailLibrary& mail)
        : settings_(settings),
          log_(log),
          clock_(clock),
          dataFolder_(std::move(dataFolder)),
          mail_(mail) {}

    void SendReportMail(std::string_view subject, const std::filesystem::path& attachment) override;

private:
    std::string Report(std::string_view key) const { return settings_.ReadIni("Report", key); }
    bool AuthMethodIs(std::string_view method) const;
    std::string StoredPassword() const;
    void LogMailError(std::string_view error) const;

    SettingsStore& settings_;
    const AlarmLog& log_;
    const Clock& clock_;
    std::filesystem::path dataFolder_;
    MailLibrary& mail_;
};

}  // namespace kestrove
