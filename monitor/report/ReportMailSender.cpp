#include "monitor/report/ReportMailSender.h"

#include <algorithm>

#include "common/OutsideText.h"
#include "common/TimeFormat.h"
#include "common/Utf8Path.h"
#include "monitor/report/mail/MailTexts.h"
#include "monitor/settings/PasswordScrambler.h"
#include "monitor/watch/WatchTexts.h"

namespace kestrove {
namespace {

// The recipients as the mail library takes them: one tab-separated list.
std::string TabSeparated(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == ';' || c == ','; }, '\t');
    return text;
}

// Long enough for any server's reply line, short enough that a hostile one cannot flood the log.
constexpr std::size_t kMaxErrorBytes = 512;

// The error text goes after the message on one log line: only its first line is kept, and any
// other control character (a tab would start a field of its own) becomes a space, so the line
// format that the report builder and the viewer read stays intact.
std::string OneLogField(std::string_view text) {
    text = text.substr(0, text.find_first_of("\r\n"));
    if (text.size() > kMaxErrorBytes) {
        std::size_t cut = kMaxErrorBytes;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            --cut;  // never end inside a character
        }
        text = text.substr(0, cut);
    }
    return CleanOutsideText(text);
}

}  // namespace

bool ReportMailSender::AuthMethodIs(std::string_view method) const {
    return settings_.IsOn("Report", "Auth") && Report("AuthMethod") == method;
}

std::string ReportMailSender::StoredPassword() const {
    return ScramblePassword("RESET", Report("Password")).value_or("");
}

void ReportMailSender::SendReportMail(std::string_view subject,
                                      const std::filesystem::path& attachment, MailDone done) {
    if (std::optional<ReportMail> report = PrepareReportMail(subject, attachment)) {
        LogMailErrors(DeliverReportMail(mail_, *report));
    }
    if (done) {
        done();
    }
}

std::optional<ReportMail> ReportMailSender::PrepareReportMail(
    std::string_view subject, const std::filesystem::path& attachment) const {
    if (!settings_.IsOn("Report", "SendByMail")) {
        return std::nullopt;
    }
    ReportMail report;
    if (AuthMethodIs("POPBeforeSMTP")) {
        report.popBeforeSmtp = true;
        report.popServer = Report("POPServer");
        report.popUser = Report("UserID");
        report.popPassword = "a " + StoredPassword();
    }
    report.server = Report("SMTPServer");
    report.recipients = TabSeparated(Report("SendTo"));
    report.sender = Report("SendFrom");
    if (AuthMethodIs("SMTPAuth")) {
        report.sender += "\t" + Report("UserID") + ":" + StoredPassword();
    }
    report.subject = subject;
    report.attachment = PathToUtf8(attachment);
    report.dataFolder = PathToUtf8(dataFolder_);
    report.requireTls = Report("RequireTLS") == "1";
    return report;
}

std::vector<std::string> ReportMailSender::DeliverReportMail(MailLibrary& mail,
                                                             const ReportMail& report) {
    std::vector<std::string> errors;
    mail.SetRequireTls(report.requireTls);
    if (report.popBeforeSmtp) {
        // Its outcome is otherwise not looked at: the SMTP server's answer tells whether the
        // login counted. A login withheld for want of TLS is logged, as no server's answer can
        // explain it. The send still goes ahead: it carries no password in this method, and a
        // server that relays for us anyway still gets the report out.
        std::string popError = mail.RcvMail(report.popServer, report.popUser, report.popPassword,
                                            "STAT", report.dataFolder);
        if (popError.rfind(mailtext::kNoEncryption, 0) == 0) {
            errors.push_back(std::move(popError));
        }
    }
    std::string error = mail.SendMail(report.server, report.recipients, report.sender,
                                      report.subject, kReportMailBody, report.attachment);
    if (!error.empty()) {
        errors.push_back(std::move(error));
    }
    return errors;
}

void ReportMailSender::LogMailErrors(const std::vector<std::string>& errors) const {
    for (const std::string& error : errors) {
        log_.AppendAlarmLine(FormatLogStamp(clock_.LocalNow()) + "\t" +
                             std::string(kMailErrorMessage) + OneLogField(error));
    }
}

}  // namespace kestrove
