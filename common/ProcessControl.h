#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kestrove {

// Starting and stopping the companion programs (the sweeper, the log viewer).
class ProcessControl {
public:
    virtual ~ProcessControl() = default;

    // Starts `program` (an absolute path; no shell, no search) with these arguments, detached
    // from the caller: it outlives the caller, is never left as the caller's zombie, and its
    // standard input and output are /dev/null. False when it could not be started.
    virtual bool StartDetached(const std::filesystem::path& program,
                               const std::vector<std::string>& args) = 0;

    // Asks every process of this user whose program name is exactly `name` to end (SIGTERM),
    // never the caller itself; a process that merely mentions the name in its command line is
    // left alone. Returns how many were signalled.
    virtual int TerminateByProgramName(std::string_view name) = 0;
};

std::unique_ptr<ProcessControl> CreateProcessControl();

}  // namespace kestrove
