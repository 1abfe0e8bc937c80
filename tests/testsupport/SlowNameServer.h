#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "testsupport/NetNamespace.h"

namespace kestrove::test {

// The name every PTR query is answered with.
inline constexpr const char* kSlowAnswerName = "slow-answer.test";

// The answer to a DNS query: the question echoed, one PTR record naming kSlowAnswerName.
// Nothing for what is not a query with one whole question.
std::optional<std::string> PtrAnswer(std::string_view query);

// A name server on 127.0.0.1:53 of the namespace the calling thread is in, answering every
// query after `delay` on a thread that lives on until the process ends (a resolver's worker may
// still wait for it). Nothing when the port could not be had.
class SlowNameServer {
public:
    static std::unique_ptr<SlowNameServer> Start(std::chrono::milliseconds delay);
    int Answered() const { return answered_->load(); }

private:
    explicit SlowNameServer(std::shared_ptr<std::atomic<int>> answered)
        : answered_(std::move(answered)) {}
    std::shared_ptr<std::atomic<int>> answered_;
};

// The "key=value" lines a helper process wrote to `path`.
std::map<std::string, std::string> ReadValues(const std::filesystem::path& path);

// `ip netns exec` binds /etc/netns/<name>/* over /etc for what it starts: there the name
// server is the test's own on loopback (and patient enough that only the caller's time limit
// ends a wait), the hosts file knows localhost alone, and only files and DNS are asked.
class PrivateEtc {
public:
    explicit PrivateEtc(const NetNamespace& ns);
    ~PrivateEtc();
    PrivateEtc(const PrivateEtc&) = delete;
    PrivateEtc& operator=(const PrivateEtc&) = delete;

private:
    std::filesystem::path dir_;
};

}  // namespace kestrove::test
