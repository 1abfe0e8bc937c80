#include "monitor/report/ReportMailSender.h"

#include <algorithm>

#include "common/TimeFormat.h"
#include "common/Utf8Path.h"
#include "monitor/report/PasswordScrambler.h"
#include "monitor/watch/WatchTexts.h"

namespace kestrove {
namespace {

// The recipients as the mail library takes them: one tab-separated list.
std::string TabSeparated(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == ';' || c == ','; }, '\t');
    return text;
}

// The error text goes after the message on one log line; a stray line break or tab would break
// the line format that the report builder and the viewer read.
std::string OneLogField(std::string_view text) {
    std::string out;
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        out += u < 0x20 || u == 0x7F ? ' ' : c;
    }
    return out;
}

}  // namespace

bool ReportMailSender::AuthMethodIs(std::string_view method) const {
    return settings_.IsOn("Report", "Auth") && Report("AuthMethod") == method;
}

std::string ReportMailSender::StoredPassword() const {
    return ScramblePassword("RESET", Report("Password")).value_or("");
}

void ReportMailSender::SendReportMail(std::string_view subject,
                                      const std::filesystem::path& attachment) {
    if (!settings_.IsOn("Report", "SendByMail")) {
        return;
    }
    if (AuthMethodIs("POPBeforeSMTP")) {
        // Its outcome is not looked at: the SMTP server's answer tells whether it counted.
        mail_.RcvMail(Report("POPServer"), Report("UserID"), "a " + StoredPassword(), "STAT",
                      PathToUtf8(programFolder_));
    }
    std::string server = Report("SMTPServer");
    std::string recipients = TabSeparated(Report("SendTo"));
    std::string sender = Report("SendFrom");
    if (AuthMethodIs("SMTPAuth")) {
        sender += "\t" + Report("UserID") + ":" + StoredPassword();
    }
    std::string error = mail_.SendMail(server, recipients, sender, subject, kReportMailBody,
                                       PathToUtf8(attachment));
    if (!error.empty()) {
        log_.AppendAlarmLine(FormatLogStamp(clock_.LocalNow()) + "\t" +
                             std::string(kMailErrorMessage) + OneLogField(error));
    }
}

}  // namespace kestrove
