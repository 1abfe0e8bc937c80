#pragma once

#include <atomic>

#include "monitor/report/mail/MailLibrary.h"
#include "monitor/report/mail/MailOptions.h"
#include "monitor/report/mail/SocketCutter.h"

namespace kestrove {

// The mail library on libcurl. SMTP upgrades to TLS by STARTTLS whenever the server offers it
// (the certificate must verify; there is no fall-back to plain after a failed check), logs in
// with PLAIN or LOGIN when credentials are given, and sends a UTF-8 MIME message with the body
// as text/plain and the attachment in base64. A password goes out only over TLS: with
// credentials (SMTP AUTH, every POP3 login) a server that offers no STARTTLS/STLS gets
// nothing, and the call says so.
class CurlMailLibrary final : public MailLibrary {
public:
    explicit CurlMailLibrary(MailOptions options = {}) : options_(std::move(options)) {
        options_.abort = &cutter_.Flag();
        options_.cutter = &cutter_;
    }

    std::string SendMail(std::string_view server, std::string_view recipients,
                         std::string_view sender, std::string_view subject, std::string_view body,
                         std::string_view attachment) override;
    std::string RcvMail(std::string_view popServer, std::string_view user,
                        std::string_view password, std::string_view command,
                        std::string_view folder) override;
    void SetRequireTls(bool required) override { requireTls_ = required; }
    void Abort() override { cutter_.Cut(); }

private:
    SocketCutter cutter_;
    std::atomic<bool> requireTls_{false};
    MailOptions options_;
};

}  // namespace kestrove
