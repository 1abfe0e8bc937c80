#include "MailPeers.h"

#include <chrono>
#include <sstream>
#include <stdexcept>

#include "common/SettingsStore.h"
#include "monitor/settings/PasswordScrambler.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

using namespace std::chrono_literals;

// Python and aiosmtpd start in well under a second; a loaded CI machine may need far more.
constexpr auto kStartLimit = 30s;
constexpr auto kEndLimit = 10s;

// Starts mail_peers.py with `args` and a control connection back to us; throws with the
// script's own error output when it does not connect within kStartLimit.
LoopbackSocket StartPeersScript(std::vector<std::string> args, const std::filesystem::path& log,
                                std::unique_ptr<LinuxProgram>& program) {
    LoopbackSocket listener(1);
    args.insert(args.begin(), {"/usr/bin/python3", MAIL_PEERS_SCRIPT, "--control",
                               std::to_string(listener.Port()), "--log", LinuxPath(log)});
    program = std::make_unique<LinuxProgram>(args);
    std::optional<LoopbackSocket> control = listener.Accept(kStartLimit);
    if (!control) {
        throw std::runtime_error("mail peers did not start: " + ReadFile(log));
    }
    return std::move(*control);
}

// Runs the script's certificate maker; throws with its reason when it fails.
void RunCertificateMaker(std::vector<std::string> args, const std::filesystem::path& folder) {
    args.insert(args.begin(), {"--make-certificate", "--folder", LinuxPath(folder)});
    std::unique_ptr<LinuxProgram> program;
    LoopbackSocket control = StartPeersScript(args, folder / "openssl.err", program);
    std::optional<std::string> reply = control.ReadLine(kStartLimit);
    control.FinishAndWaitForClose(kEndLimit);
    if (reply != "CERTIFICATE ok") {
        throw std::runtime_error("no test certificate: " + reply.value_or("no answer"));
    }
}

}  // namespace

TestCertificate MakeTestCertificate(const std::filesystem::path& folder) {
    RunCertificateMaker({}, folder);
    return {folder / "ca.pem", folder / "cert.pem", folder / "key.pem"};
}

TestCertificate MakeServerCertificate(const TestCertificate& signer,
                                      const std::filesystem::path& folder, const std::string& names,
                                      const std::string& crlUrl) {
    std::filesystem::create_directories(folder);
    RunCertificateMaker(
        {"--names", names, "--ca-from", LinuxPath(signer.ca.parent_path()), "--crl-url", crlUrl},
        folder);
    return {signer.ca, folder / "cert.pem", folder / "key.pem"};
}

MailPeers::MailPeers(const std::filesystem::path& folder, const TestCertificate& certificate,
                     const std::string& password, const std::vector<std::string>& extraArgs)
    : out_(folder) {
    std::filesystem::create_directories(out_);
    std::vector<std::string> args = {"--out",      LinuxPath(out_),
                                     "--cert",     LinuxPath(certificate.cert),
                                     "--key",      LinuxPath(certificate.key),
                                     "--password", password};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    control_ = StartPeersScript(args, out_ / "peers.err", program_);
    std::optional<std::string> line = control_->ReadLine(kStartLimit);
    std::istringstream in(line.value_or(""));
    std::string word;
    if (!(in >> word >> smtpPort_ >> popPort_) || word != "READY") {
        control_.reset();
        throw std::runtime_error("mail peers did not start: " + ReadFile(out_ / "peers.err"));
    }
}

MailPeers::~MailPeers() {
    // The peers end when they see our end close; their end closing says they are gone.
    if (control_) {
        control_->FinishAndWaitForClose(kEndLimit);
    }
}

std::vector<std::string> MailPeers::Events() const {
    std::vector<std::string> events;
    std::istringstream in(ReadFile(out_ / "events.log"));
    for (std::string line; std::getline(in, line);) {
        events.push_back(line);
    }
    return events;
}

std::filesystem::path MailPeers::Message(int n) const {
    return out_ / ("msg" + std::to_string(n));
}

void WriteMailSettings(SettingsStore& settings, std::string_view password) {
    settings.WriteIni("Report", "SendByMail", "1");
    settings.WriteIni("Report", "SendTo", "a@example.org;b@example.org,c@example.org");
    settings.WriteIni("Report", "SendFrom", "kestrove@example.org");
    settings.WriteIni("Report", "UserID", "reporter");
    settings.WriteIni("Report", "Password", *ScramblePassword("SET", password));
}

int UnusedLoopbackPort() {
    return LoopbackSocket(0).Port();
}

}  // namespace kestrove::test
