#pragma once

#include <string>
#include <vector>

namespace kestrove::test {

// Runs a program (looked up on PATH) with these arguments, without a shell, and waits for it.
// Returns its exit status (128 + signal number when killed, -1 when it could not start).
// With `output`, its standard output is collected there; standard error goes to the test log.
int RunCommand(const std::vector<std::string>& argv, std::string* output = nullptr);

}  // namespace kestrove::test
