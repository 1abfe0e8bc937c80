#pragma once

#include <string>
#include <vector>

#include "common/ProcessControl.h"

namespace kestrove::test {

// Records what would have been started or stopped; starts nothing.
class FakeProcessControl final : public ProcessControl {
public:
    struct Started {
        std::filesystem::path program;
        std::vector<std::string> args;
    };

    bool StartDetached(const std::filesystem::path& program,
                       const std::vector<std::string>& args) override {
        started.push_back({program, args});
        return startSucceeds;
    }
    int TerminateProgram(const std::filesystem::path& program) override {
        terminated.push_back(program);
        return 0;
    }

    std::vector<Started> started;
    std::vector<std::filesystem::path> terminated;
    bool startSucceeds = true;
};

}  // namespace kestrove::test
