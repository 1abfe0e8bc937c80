#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrove::test {

// A program the test runs in the background (looked up on PATH, no shell). Whatever is still
// running when the object goes is killed and reaped, so no test leaves a process behind.
class ChildProcess {
public:
    // `extraEnv` entries ("NAME=value") are added to, or replace, the test's environment.
    // With `stdoutFile`, standard output goes to that file (created or emptied).
    explicit ChildProcess(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extraEnv = {},
                          const std::string& stdoutFile = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }
    void Signal(int signal);
    // The exit status (128 + signal number when killed), or nothing if it still runs after
    // `timeout`.
    std::optional<int> Wait(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Polls `condition` every 50 ms until it holds or `timeout` passes; whether it held.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

}  // namespace kestrove::test
