#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "testsupport/ChildProcess.h"
#include "testsupport/Ipv6Attacks.h"
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

// A LAN with a router that forwards both families towards the documentation networks and
// advertises 2001:db8:77::/64 (radvd, DNS server 2001:db8:77::53), the watching victim that is
// its IPv4 default route's client and takes its advertisements, and an attacker; the victim's
// name lookups kept on loopback. Addresses: router 10.200.0.1 / 2001:db8:77::1 /
// fe80::ff:fe00:1 (MAC ...:01), victim .10 (MAC ...:0a), attacker .66 (MAC ...:66).
class RouterLan {
public:
    explicit RouterLan(std::string_view tag);
    NetNamespace& Router() { return router_; }
    NetNamespace& Victim() { return victim_; }
    NetNamespace& Attacker() { return attacker_; }
    // Waits until the victim took the router's advertisement and resolved its addresses.
    bool WaitForRouter();
    // The attacker claims the router's IPv4 address for its own MAC (gratuitous ARP).
    void PoisonGateway();
    // Adds a host namespace to the LAN, as TestLan::AddHost does.
    NetNamespace& AddHost(const std::string& name, const std::string& mac,
                          const std::string& cidr) {
        return lan_.AddHost(name, mac, cidr);
    }

private:
    TestLan lan_;
    NetNamespace& router_;
    NetNamespace& victim_;
    NetNamespace& attacker_;
    LoopbackResolver resolver_;
    std::unique_ptr<RouterAdvertiser> radvd_;
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
    // The same as an ordinary user without any capability (uid and gid 65534), as a desktop
    // user runs it; the folders become that user's.
    std::unique_ptr<ChildProcess> StartUnprivileged(const NetNamespace& ns) const;

private:
    TempFolder folder_;
    TempFolder runtime_;
};

}  // namespace kestrove::test
