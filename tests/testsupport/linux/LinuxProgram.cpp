#include "testsupport/LinuxProgram.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <stdexcept>

extern char** environ;

namespace kestrove::test {

LinuxProgram::LinuxProgram(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (args.empty() || posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start " + (args.empty() ? std::string() : args[0]));
    }
    pid_ = pid;
}

LinuxProgram::~LinuxProgram() {
    int status = 0;
    pid_t pid = static_cast<pid_t>(pid_);
    // By now the test has seen it end over its socket, or given up waiting for that.
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

bool RunsUnderWine() {
    return false;
}

std::string LinuxPath(const std::filesystem::path& path) {
    return path.string();
}

}  // namespace kestrove::test
