#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kestrove {

// The two calls the report mail step makes, with their argument forms:
//   SendMail(server, recipients, sender, subject, body, attachment)
//     server      "host", "host:port", "smtp://host[:port]" or "smtps://host[:port]" (implicit TLS)
//     recipients  addresses separated by tabs; empty entries are skipped
//     sender      the sender address, optionally followed by a tab and "user:password" for
//                 SMTP AUTH
//     body        CRLF text; attachment: path of the file to attach ("" for none)
//   RcvMail(popServer, user, password, command, folder)
//     popServer   "host", "host:port", "pop3://host[:port]" or "pop3s://host[:port]"
//     password    a leading "a " asks for a plain USER/PASS login and is not part of the
//                 password; without it the best login the server offers is used
//     command     one single-line POP3 command sent after the login ("STAT")
//     folder      accepted for the caller's sake; nothing is stored there
// Both return "" on success, otherwise one line saying what failed, never holding the password.
class MailLibrary {
public:
    virtual ~MailLibrary() = default;
    virtual std::string SendMail(std::string_view server, std::string_view recipients,
                                 std::string_view sender, std::string_view subject,
                                 std::string_view body, std::string_view attachment) = 0;
    virtual std::string RcvMail(std::string_view popServer, std::string_view user,
                                std::string_view password, std::string_view command,
                                std::string_view folder) = 0;
    // From the next call on: true requires TLS for every exchange (STARTTLS/STLS where the
    // address is plain), whether a password goes out or not; false requires it only where one
    // does. A server that offers no TLS then gets nothing, and the call says so.
    virtual void SetRequireTls(bool required) { (void)required; }
    // Safe from any thread: ends the call under way on another thread as soon as it can (it
    // then returns an error text), and makes every later call return one at once.
    virtual void Abort() {}
};

// The mail library the program sends with (curl). Its headers stay out of the callers' (on
// Windows they bring windows.h and its macros).
std::unique_ptr<MailLibrary> CreateMailLibrary();

}  // namespace kestrove
