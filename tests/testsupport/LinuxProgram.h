#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kestrove::test {

// A program of the Linux side that a test starts and talks to over loopback (the mail peers,
// openssl behind them). On Linux it is a child process; a Windows test under Wine starts it
// through CreateProcessW, which runs a Linux program natively but hands back no process to
// wait for or end, and no standard streams. So the program learns its end from the test over
// a socket, and the test learns from the same socket that it has ended.
class LinuxProgram {
public:
    // `args[0]` is the program's absolute Linux path; paths among the arguments are given as
    // LinuxPath() names them. Throws when the program cannot be started.
    explicit LinuxProgram(const std::vector<std::string>& args);
    // On Linux: ended (if it still runs) and reaped. Under Wine nothing is left to do.
    ~LinuxProgram();
    LinuxProgram(const LinuxProgram&) = delete;
    LinuxProgram& operator=(const LinuxProgram&) = delete;

private:
    long pid_ = -1;
};

// Whether this is a Windows program running under Wine (never on Linux).
bool RunsUnderWine();

// The file's path as the Linux side names it (through Wine's drive mapping on Windows).
// Throws when there is none.
std::string LinuxPath(const std::filesystem::path& path);

}  // namespace kestrove::test
