#pragma once

namespace kestrove::test {

// Whether the TLS library behind curl matches a server given by its IP address against the
// certificate's IP names (OpenSSL does; Schannel in this curl compares host names only).
extern const bool kTlsMatchesIpAddresses;

}  // namespace kestrove::test
