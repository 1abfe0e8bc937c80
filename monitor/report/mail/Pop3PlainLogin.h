#pragma once

#include <string>
#include <string_view>

#include "monitor/report/mail/MailOptions.h"
#include "monitor/report/mail/MailServerAddress.h"

namespace kestrove {

// Logs in to a POP3 server with plain USER and PASS (never APOP or SASL), sends one
// single-line command and QUIT. curl makes the connection and the required STLS; the
// dialogue itself is ours, as curl has no way to ask for USER/PASS alone. "" on success.
std::string Pop3PlainLogin(const MailOptions& options, const MailServerAddress& server,
                           std::string_view user, std::string_view password,
                           std::string_view command);

}  // namespace kestrove
