#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Clock.h"
#include "common/SettingsStore.h"
#include "monitor/report/ReportMailer.h"
#include "monitor/report/mail/MailLibrary.h"
#include "monitor/watch/AlarmLog.h"

namespace kestrove {

inline constexpr std::string_view kReportMailBody = "自動作成された報告書を添付します。\r\n";

// One report mail with everything it needs, read from the settings when the report was made,
// so it can be sent later on another thread without touching the settings file.
struct ReportMail {
    bool popBeforeSmtp = false;
    std::string popServer;
    std::string popUser;
    std::string popPassword;  // in RcvMail's form, with its option word
    std::string server;
    std::string recipients;
    std::string sender;  // in SendMail's form, with the SMTP AUTH credentials when chosen
    std::string subject;
    std::string attachment;  // UTF-8
    std::string dataFolder;  // UTF-8
    // [Report] RequireTLS: the mail itself, not only a password, goes out over TLS or not at
    // all (the reports list the network's hosts and MACs).
    bool requireTls = false;
};

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

    // Sends at once, on the caller's thread; `done` comes before this returns.
    void SendReportMail(std::string_view subject, const std::filesystem::path& attachment,
                        MailDone done) override;

    // The mail as the settings say now; none when `[Report] SendByMail` is not "1".
    std::optional<ReportMail> PrepareReportMail(std::string_view subject,
                                                const std::filesystem::path& attachment) const;
    // Talks to the servers; the error texts to log, none when all went well. Touches nothing
    // but `mail`, so it may run on any thread.
    static std::vector<std::string> DeliverReportMail(MailLibrary& mail, const ReportMail& report);
    // One alarm-log line for each error, stamped now.
    void LogMailErrors(const std::vector<std::string>& errors) const;

private:
    std::string Report(std::string_view key) const { return settings_.ReadIni("Report", key); }
    bool AuthMethodIs(std::string_view method) const;
    std::string StoredPassword() const;

    SettingsStore& settings_;
    const AlarmLog& log_;
    const Clock& clock_;
    std::filesystem::path dataFolder_;
    MailLibrary& mail_;
};

}  // namespace kestrove
