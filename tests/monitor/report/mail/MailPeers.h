#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "testsupport/LinuxProgram.h"
#include "testsupport/LoopbackSocket.h"

namespace kestrove {
class SettingsStore;
}

namespace kestrove::test {

// A throwaway server certificate with its key, made with openssl, and the CA that signed it (the
// file the mail layer is given to trust). The CA names no CRL or OCSP address, as the private
// CA of a small office would not.
struct TestCertificate {
    std::filesystem::path ca;
    std::filesystem::path cert;
    std::filesystem::path key;
};
// A new CA in `folder` and a certificate it signed for localhost and 127.0.0.1.
TestCertificate MakeTestCertificate(const std::filesystem::path& folder);
// A certificate for `names` (openssl's subjectAltName form) signed by the CA of `signer`, with
// a CRL distribution point when `crlUrl` is given.
TestCertificate MakeServerCertificate(const TestCertificate& signer,
                                      const std::filesystem::path& folder, const std::string& names,
                                      const std::string& crlUrl = {});

// The SMTP server and POP3 responder of mail_peers.py, listening on loopback while this object
// lives. `extraArgs` are passed on (--refuse ADDRESS, --pop-before-smtp, --implicit-tls,
// --no-starttls, --strip-starttls, --pop-no-stls, --no-auth).
class MailPeers {
public:
    MailPeers(const std::filesystem::path& folder, const TestCertificate& certificate,
              const std::string& password, const std::vector<std::string>& extraArgs = {});
    ~MailPeers();
    MailPeers(const MailPeers&) = delete;
    MailPeers& operator=(const MailPeers&) = delete;

    int SmtpPort() const { return smtpPort_; }
    int PopPort() const { return popPort_; }
    // What the client did, in order ("POP USER reporter", "SMTP MAIL a@b", …).
    std::vector<std::string> Events() const;
    // Folder of the n-th accepted message (from 1), with files named after its parts.
    std::filesystem::path Message(int n) const;

private:
    std::filesystem::path out_;
    std::unique_ptr<LinuxProgram> program_;
    std::optional<LoopbackSocket> control_;  // open while the peers run
    int smtpPort_ = 0;
    int popPort_ = 0;
};

// Report mail switched on for three recipients from kestrove@example.org, as user "reporter"
// whose `password` is stored scrambled.
void WriteMailSettings(SettingsStore& settings, std::string_view password);

// A TCP port on 127.0.0.1 where nothing listens.
int UnusedLoopbackPort();

// A socket on 127.0.0.1 that takes connections into its backlog but never answers.
class SilentListener {
public:
    int Port() const { return socket_.Port(); }

private:
    LoopbackSocket socket_{8};
};

}  // namespace kestrove::test
