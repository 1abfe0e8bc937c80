#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "netinfo/linux/UniqueFd.h"

namespace kestrove::test {

bool HaveRoot();
// True when the environment says root tests must run (KESTROVE_REQUIRE_ROOT=1, as in CI).
bool RootRequired();

// In a TEST body: skips when not root, but fails when env KESTROVE_REQUIRE_ROOT=1 (CI), so a
// CI run without root cannot pass by skipping everything.
#define KESTROVE_REQUIRE_ROOT()                                                      \
    do {                                                                             \
        if (!::kestrove::test::HaveRoot()) {                                         \
            if (::kestrove::test::RootRequired()) {                                  \
                FAIL() << "this test needs root and KESTROVE_REQUIRE_ROOT=1 is set"; \
            }                                                                        \
            GTEST_SKIP() << "needs root (network namespaces)";                       \
        }                                                                            \
    } while (false)

// A network namespace of its own (`ip netns add`), removed again on destruction. Its name is
// unique within the machine's run ("kv-<tag>-<pid>-<n>"), so tests may run in parallel. Setup
// failures throw std::runtime_error, which fails the test that asked.
class NetNamespace {
public:
    explicit NetNamespace(std::string_view tag);
    ~NetNamespace();
    NetNamespace(const NetNamespace&) = delete;
    NetNamespace& operator=(const NetNamespace&) = delete;

    const std::string& Name() const { return name_; }
    // The bind-mounted namespace file that setns() accepts.
    std::string Path() const { return "/run/netns/" + name_; }

    // Runs `sh -c shellCommand` inside the namespace; its exit status.
    int Exec(const std::string& shellCommand) const;
    std::string ExecOutput(const std::string& shellCommand) const;
    // Runs `ip -n <name> args...` (no shell); throws when it fails.
    void Ip(std::vector<std::string> args) const;

private:
    std::string name_;
};

// Moves the calling thread (only it) into the namespace and back on destruction. Sockets
// opened meanwhile stay in the namespace for their whole life.
class ScopedNetnsEnter {
public:
    explicit ScopedNetnsEnter(const NetNamespace& ns);
    ~ScopedNetnsEnter();
    ScopedNetnsEnter(const ScopedNetnsEnter&) = delete;
    ScopedNetnsEnter& operator=(const ScopedNetnsEnter&) = delete;

private:
    UniqueFd previous_;
};

// A LAN: a namespace holding the bridge br0, and one namespace per host joined to it by a veth
// pair. Every namespace goes when the LAN goes.
class TestLan {
public:
    explicit TestLan(std::string_view tag);
    TestLan(const TestLan&) = delete;
    TestLan& operator=(const TestLan&) = delete;

    // A host namespace whose interface "veth0" has the MAC ("02:00:00:00:00:0a") and the
    // address with prefix ("10.200.0.10/24"), up and joined to the bridge.
    NetNamespace& AddHost(const std::string& name, const std::string& mac, const std::string& cidr);
    // Throws std::out_of_range for a host never added.
    NetNamespace& Host(const std::string& name);

private:
    std::string tag_;
    NetNamespace switch_;
    std::vector<std::pair<std::string, std::unique_ptr<NetNamespace>>> hosts_;
};

// Sends one raw ARP packet (AF_PACKET) from inside `ns` on interface `ifname`; op 1 request
// (to the Ethernet broadcast), 2 reply (to targetMac). MACs as "02:00:00:00:00:66" (or with
// "-"). A failure is reported as a test failure.
void SendArp(const NetNamespace& ns, const std::string& ifname, int op,
             const std::string& senderMac, const std::string& senderIp,
             const std::string& targetMac, const std::string& targetIp);

}  // namespace kestrove::test
