#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "testsupport/ChildProcess.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {

// Name lookups inside the namespace go to loopback, where nothing answers, so an alarm's
// reverse lookup can never leave the test's namespaces (`ip netns exec` mounts this file).
class LoopbackResolver {
public:
    explicit LoopbackResolver(const NetNamespace& ns);
    ~LoopbackResolver();
    LoopbackResolver(const LoopbackResolver&) = delete;
    LoopbackResolver& operator=(const LoopbackResolver&) = delete;

private:
    std::filesystem::path dir_;
};

// A LAN of a gateway (10.200.0.1), the watching victim (.10) and an attacker (.66), with the
// victim's name lookups kept on loopback.
class PoisonedLan {
public:
    explicit PoisonedLan(std::string_view tag);
    NetNamespace& Gateway() { return gateway_; }
    NetNamespace& Victim() { return victim_; }
    // The attacker claims the gateway's address for `mac` with a gratuitous ARP request.
    void Poison(const std::string& mac);

private:
    TestLan lan_;
    NetNamespace& gateway_;
    NetNamespace& victim_;
    NetNamespace& attacker_;
    LoopbackResolver resolver_;
};

// A program folder of its own holding a copy of the built monitor, and a private runtime
// folder for its lock file and its start-at-logon entry.
class MonitorFolder {
public:
    MonitorFolder();  // throws when the built monitor cannot be found
    const std::filesystem::path& Path() const { return folder_.Path(); }
    const std::filesystem::path& Runtime() const { return runtime_.Path(); }
    std::string LogText() const;  // the alarm log as UTF-8 ("" when missing)

    // Starts the copy offscreen inside `ns`.
    std::unique_ptr<ChildProcess> Start(const NetNamespace& ns) const;

private:
    TempFolder folder_;
    TempFolder runtime_;
};

}  // namespace kestrove::test
