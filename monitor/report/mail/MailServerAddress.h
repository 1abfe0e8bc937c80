#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrove {

enum class MailProtocol { Smtp, Pop3 };

// A mail server as the user typed it: "host", "host:port" or "scheme://host[:port]", where the
// scheme picks plain (upgraded by STARTTLS/STLS) or implicit TLS.
struct MailServerAddress {
    std::string scheme;  // "smtp", "smtps", "pop3" or "pop3s"
    std::string host;    // an IPv6 address keeps its brackets
    int port = 0;

    bool ImplicitTls() const { return scheme.back() == 's'; }
    std::string HostPort() const { return host + ":" + std::to_string(port); }
    std::string Url() const { return scheme + "://" + HostPort() + "/"; }
};

// Nothing when the text is empty, names another scheme, or holds characters no host name has
// (which could smuggle a user name or a path into the URL).
std::optional<MailServerAddress> ParseMailServer(std::string_view text, MailProtocol protocol);

}  // namespace kestrove
