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

// A throwaway certificate for localhost and 127.0.0.1, made with openssl; the mail layer trusts
// it as its CA.
struct TestCertificate {
    std::filesystem::path cert;
    std::filesystem::path key;
};
TestCertificate MakeTestCertificate(const std::filesystem::path& folder);

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
