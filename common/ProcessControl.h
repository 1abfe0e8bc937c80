#pragma once

#include <filesystem>
#include <memory>
#include <string>
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

    // Asks every process of this user that runs the executable `program` (an absolute path) to
    // end (SIGTERM), never the caller itself. A program of the same name elsewhere, or one that
    // merely mentions it in its command line, is left alone: only what the caller could have
    // started is stopped. Returns how many were signalled.
    virtual int TerminateProgram(const std::filesystem::path& program) = 0;
};

std::unique_ptr<ProcessControl> CreateProcessControl();

}  // namespace kestrove
