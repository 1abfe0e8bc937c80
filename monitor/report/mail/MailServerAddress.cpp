#include "monitor/report/mail/MailServerAddress.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kestrove {
namespace {

struct SchemeInfo {
    std::string_view plain;
    std::string_view tls;
    int plainPort;
    int tlsPort;
};

SchemeInfo SchemesOf(MailProtocol protocol) {
    if (protocol == MailProtocol::Smtp) {
        return {"smtp", "smtps", 25, 465};
    }
    return {"pop3", "pop3s", 110, 995};
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) {
        s.remove_prefix(1);
    }
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) {
        s.remove_suffix(1);
    }
    return s;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool IsHostName(std::string_view host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '.' || c == '-' || c == '_';
    });
}

bool IsIpv6(std::string_view host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](unsigned char c) {
        return std::isxdigit(c) || c == ':' || c == '.';
    });
}

std::optional<int> ParsePort(std::string_view text) {
    int port = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (ec != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

// Splits "host", "host:port", "[v6]" or "[v6]:port"; a bare IPv6 address gets brackets.
std::optional<std::pair<std::string, std::optional<int>>> SplitHostPort(std::string_view text) {
    std::optional<int> port;
    if (!text.empty() && text.front() == '[') {
        std::size_t close = text.find(']');
        if (close == std::string_view::npos || !IsIpv6(text.substr(1, close - 1))) {
            return std::nullopt;
        }
        std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':' || !(port = ParsePort(rest.substr(1)))) {
                return std::nullopt;
            }
        }
        return std::make_pair(std::string(text.substr(0, close + 1)), port);
    }
    std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos) {
        if (!IsIpv6(text)) {
            return std::nullopt;
        }
        return std::make_pair("[" + std::string(text) + "]", port);
    }
    std::string_view host = text.substr(0, colon);
    if (colon != std::string_view::npos && !(port = ParsePort(text.substr(colon + 1)))) {
        return std::nullopt;
    }
    if (!IsHostName(host)) {
        return std::nullopt;
    }
    return std::make_pair(std::string(host), port);
}

}  // namespace

std::optional<MailServerAddress> ParseMailServer(std::string_view text, MailProtocol protocol) {
    SchemeInfo schemes = SchemesOf(protocol);
    text = Trim(text);
    MailServerAddress address;
    address.scheme = schemes.plain;
    if (std::size_t sep = text.find("://"); sep != std::string_view::npos) {
        std::string scheme = Lower(text.substr(0, sep));
        if (scheme != schemes.plain && scheme != schemes.tls) {
            return std::nullopt;
        }
        address.scheme = scheme;
        text = text.substr(sep + 3);
        while (!text.empty() && text.back() == '/') {
            text.remove_suffix(1);
        }
    }
    auto hostPort = SplitHostPort(text);
    if (!hostPort) {
        return std::nullopt;
    }
    address.host = hostPort->first;
    address.port =
        hostPort->second.value_or(address.ImplicitTls() ? schemes.tlsPort : schemes.plainPort);
    return address;
}

}  // namespace kestrove
