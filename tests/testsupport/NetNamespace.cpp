#include "testsupport/NetNamespace.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "testsupport/RunCommand.h"

namespace kestrove::test {
namespace {

std::string UniqueName(std::string_view tag) {
    static std::atomic<int> counter{0};
    std::string clean;
    for (char c : tag.substr(0, 24)) {
        clean.push_back(std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '-');
    }
    return "kv-" + clean + "-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

void Require(const std::vector<std::string>& argv) {
    if (RunCommand(argv) != 0) {
        std::string line;
        for (const std::string& a : argv) {
            line += a + " ";
        }
        throw std::runtime_error("failed: " + line);
    }
}

}  // namespace

bool HaveRoot() {
    return ::geteuid() == 0;
}

bool RootRequired() {
    const char* value = std::getenv("KESTROVE_REQUIRE_ROOT");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

NetNamespace::NetNamespace(std::string_view tag) : name_(UniqueName(tag)) {
    Require({"ip", "netns", "add", name_});
    try {
        Ip({"link", "set", "lo", "up"});
    } catch (...) {
        RunCommand({"ip", "netns", "del", name_});
        throw;
    }
}

NetNamespace::~NetNamespace() {
    RunCommand({"ip", "netns", "del", name_});
}

int NetNamespace::Exec(const std::string& shellCommand) const {
    return RunCommand({"ip", "netns", "exec", name_, "sh", "-c", shellCommand});
}

std::string NetNamespace::ExecOutput(const std::string& shellCommand) const {
    std::string output;
    RunCommand({"ip", "netns", "exec", name_, "sh", "-c", shellCommand}, &output);
    return output;
}

void NetNamespace::Ip(std::vector<std::string> args) const {
    args.insert(args.begin(), {"ip", "-n", name_});
    Require(args);
}

ScopedNetnsEnter::ScopedNetnsEnter(const NetNamespace& ns)
    : previous_(::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC)) {
    UniqueFd target(::open(ns.Path().c_str(), O_RDONLY | O_CLOEXEC));
    // Going on in the wrong namespace could touch the real network: refuse instead.
    if (!previous_ || !target || ::setns(target.Get(), CLONE_NEWNET) != 0) {
        throw std::runtime_error("cannot enter network namespace " + ns.Name() + ": " +
                                 std::strerror(errno));
    }
}

ScopedNetnsEnter::~ScopedNetnsEnter() {
    if (::setns(previous_.Get(), CLONE_NEWNET) != 0) {
        // Every later test of this process would run in the wrong namespace.
        std::fprintf(stderr, "cannot return to the original network namespace\n");
        std::abort();
    }
}

}  // namespace kestrove::test
