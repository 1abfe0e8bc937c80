#include "MailPeers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

#include "common/SettingsStore.h"
#include "monitor/report/PasswordScrambler.h"
#include "testsupport/TempFolder.h"

extern char** environ;

namespace kestrove::test {
namespace {

// Starts a program without a shell; stdout goes to `stdoutFd` (or is inherited), stderr to
// `stderrPath`.
pid_t Spawn(const std::vector<std::string>& args, int stdoutFd,
            const std::filesystem::path& stderrPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrPath.c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0644);
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + args[0]);
    }
    return pid;
}

int WaitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TestCertificate MakeTestCertificate(const std::filesystem::path& folder) {
    TestCertificate c{folder / "cert.pem", folder / "key.pem"};
    pid_t pid = Spawn({"/usr/bin/openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                       "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", c.key.string(), "-out",
                       c.cert.string(), "-days", "1", "-subj", "/CN=127.0.0.1", "-addext",
                       "subjectAltName=IP:127.0.0.1"},
                      -1, folder / "openssl.err");
    if (WaitFor(pid) != 0) {
        throw std::runtime_error("openssl could not make the test certificate");
    }
    return c;
}

MailPeers::MailPeers(const std::filesystem::path& folder, const TestCertificate& certificate,
                     const std::string& password, const std::vector<std::string>& extraArgs)
    : out_(folder) {
    std::filesystem::create_directories(out_);
    std::vector<std::string> args = {"/usr/bin/python3", MAIL_PEERS_SCRIPT, "--out", out_.string()};
    args.insert(args.end(), {"--cert", certificate.cert.string(), "--key", certificate.key.string(),
                             "--password", password});
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid_ = Spawn(args, pipeFds[1], out_ / "peers.err");
    close(pipeFds[1]);
    std::string line;
    char c = 0;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n') {
        line += c;
    }
    close(pipeFds[0]);
    std::istringstream in(line);
    std::string word;
    if (!(in >> word >> smtpPort_ >> popPort_) || word != "READY") {
        throw std::runtime_error("mail peers did not start: " + ReadFile(out_ / "peers.err"));
    }
}

MailPeers::~MailPeers() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        WaitFor(pid_);
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
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

SilentListener::SilentListener() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd_, 8) != 0) {
        throw std::runtime_error("cannot listen on loopback");
    }
    getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
}

SilentListener::~SilentListener() {
    close(fd_);
}

}  // namespace kestrove::test
