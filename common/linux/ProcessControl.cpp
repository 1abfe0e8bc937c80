#include "common/ProcessControl.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <optional>

extern char** environ;

namespace kestrove {
namespace {

// Runs in the forked child of a possibly multi-threaded caller: only async-signal-safe calls.
[[noreturn]] void ExecChild(const char* path, char* const argv[], int errorFd) {
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Ignored signals survive exec; the new program starts with the defaults.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig) {
        ::sigaction(sig, &dfl, nullptr);
    }
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        if (null > STDERR_FILENO) {
            ::close(null);
        }
    }
    // Descriptors the caller forgot to mark (a lock file, a socket) must not leak into it.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    ::execve(path, argv, environ);
    int error = errno;
    (void)!::write(errorFd, &error, sizeof error);
    ::_exit(127);
}

class PosixProcessControl final : public ProcessControl {
public:
    bool StartDetached(const std::filesystem::path& program,
                       const std::vector<std::string>& args) override;
    int TerminateProgram(const std::filesystem::path& program) override;
};

bool PosixProcessControl::StartDetached(const std::filesystem::path& program,
                                        const std::vector<std::string>& args) {
    if (!program.is_absolute()) {
        return false;
    }
    // Everything the child needs is prepared before fork.
    std::string path = program.string();
    std::vector<std::string> strings;
    strings.push_back(path);
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : strings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return false;
    }
    pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        ::setsid();
        // The grandchild is adopted by init (or a subreaper), which reaps it. _Fork runs no
        // fork handlers, which are not safe in the child of a multi-threaded caller.
        pid_t grandchild = ::_Fork();
        if (grandchild == 0) {
            ExecChild(path.c_str(), argv.data(), pipeFds[1]);
        }
        if (grandchild < 0) {
            int error = errno;
            (void)!::write(pipeFds[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    if (child < 0) {
        ::close(pipeFds[0]);
        return false;
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    // The write end closes at a successful exec, so an empty read means the program runs.
    int error = 0;
    ssize_t n;
    do {
        n = ::read(pipeFds[0], &error, sizeof error);
    } while (n < 0 && errno == EINTR);
    ::close(pipeFds[0]);
    return n == 0;
}

struct ProcessStatus {
    bool zombie = false;
    uid_t realUid = 0;
};

// The first number after a "Name:" heading of /proc/PID/status.
std::optional<unsigned long> FieldNumber(const std::string& line, std::size_t headingLength) {
    const char* start = line.c_str() + headingLength;
    char* end = nullptr;
    errno = 0;
    unsigned long value = std::strtoul(start, &end, 10);
    if (end == start || errno != 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<ProcessStatus> ReadStatus(const std::string& procDir) {
    std::ifstream in(procDir + "/status");
    std::string line;
    ProcessStatus status;
    std::optional<unsigned long> uid;
    while (std::getline(in, line)) {
        if (line.rfind("State:", 0) == 0) {
            std::size_t state = line.find_first_not_of(" \t", 6);
            status.zombie = state != std::string::npos && line[state] == 'Z';
        } else if (line.rfind("Uid:", 0) == 0) {
            uid = FieldNumber(line, 4);
        }
    }
    if (!uid) {
        return std::nullopt;
    }
    status.realUid = static_cast<uid_t>(*uid);
    return status;
}

// The file a process runs, to compare with the program asked for.
struct Executable {
    dev_t device = 0;
    ino_t inode = 0;
    std::string path;  // as the kernel names it, without " (deleted)"
};

std::optional<Executable> ExecutableOf(const std::string& procDir) {
    std::string link = procDir + "/exe";
    char buf[4096];
    ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    if (n <= 0) {
        return std::nullopt;  // not ours to look at: left alone
    }
    Executable exe;
    exe.path.assign(buf, static_cast<std::size_t>(n));
    constexpr std::string_view kDeleted = " (deleted)";
    if (exe.path.size() > kDeleted.size() && exe.path.ends_with(kDeleted)) {
        exe.path.resize(exe.path.size() - kDeleted.size());
    }
    // stat() through the link reaches the running file itself, even when it was replaced.
    struct stat st {};
    if (::stat(link.c_str(), &st) == 0) {
        exe.device = st.st_dev;
        exe.inode = st.st_ino;
    }
    return exe;
}

bool IsPid(const char* text) {
    if (*text == '\0') {
        return false;
    }
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') {
            return false;
        }
    }
    return true;
}

// Through a pidfd the signal reaches the process that was checked, even if its pid is reused
// by a new process in between; kernels without pidfds fall back to the pid.
class PidHandle {
public:
    explicit PidHandle(pid_t pid)
        : pid_(pid), fd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {
        gone_ = fd_ < 0 && errno != ENOSYS;
    }
    ~PidHandle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    PidHandle(const PidHandle&) = delete;
    PidHandle& operator=(const PidHandle&) = delete;

    bool Gone() const { return gone_; }
    bool Terminate() const {
        if (fd_ < 0) {
            return ::kill(pid_, SIGTERM) == 0;
        }
        return ::syscall(SYS_pidfd_send_signal, fd_, SIGTERM, nullptr, 0) == 0;
    }

private:
    pid_t pid_;
    int fd_;
    bool gone_ = false;
};

int PosixProcessControl::TerminateProgram(const std::filesystem::path& program) {
    if (!program.is_absolute()) {
        return 0;
    }
    std::error_code ec;
    std::string wanted = std::filesystem::weakly_canonical(program, ec).string();
    if (ec) {
        wanted = program.lexically_normal().string();
    }
    struct stat programStat {};
    bool programExists = ::stat(program.c_str(), &programStat) == 0;
    // Same file (also through another path to it), or the same path whose file was replaced
    // on disk (a rebuild or an update) while it ran.
    auto isProgram = [&](const Executable& exe) {
        bool sameFile =
            programExists && exe.device == programStat.st_dev && exe.inode == programStat.st_ino;
        return sameFile || exe.path == wanted;
    };
    std::unique_ptr<DIR, int (*)(DIR*)> proc(::opendir("/proc"), ::closedir);
    if (!proc) {
        return 0;
    }
    const pid_t self = ::getpid();
    const uid_t uid = ::getuid();
    int signalled = 0;
    while (dirent* entry = ::readdir(proc.get())) {
        if (!IsPid(entry->d_name)) {
            continue;
        }
        pid_t pid = static_cast<pid_t>(std::strtol(entry->d_name, nullptr, 10));
        if (pid == self) {
            continue;
        }
        PidHandle handle(pid);
        if (handle.Gone()) {
            continue;
        }
        std::string dir = std::string("/proc/") + entry->d_name;
        std::optional<ProcessStatus> status = ReadStatus(dir);
        if (!status || status->zombie || status->realUid != uid) {
            continue;
        }
        std::optional<Executable> exe = ExecutableOf(dir);
        if (exe && isProgram(*exe) && handle.Terminate()) {
            ++signalled;
        }
    }
    return signalled;
}

}  // namespace

std::unique_ptr<ProcessControl> CreateProcessControl() {
    return std::make_unique<PosixProcessControl>();
}

}  // namespace kestrove
