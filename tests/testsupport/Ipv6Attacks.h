#pragma once

#include <memory>
#include <string>

#include "testsupport/ChildProcess.h"
#include "testsupport/NetNamespace.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {

// radvd advertising on "veth0" of a namespace, every 3 to 4 s, until the object goes.
// `extra` goes inside the interface block ("AdvDefaultPreference high;"), `prefix` is
// advertised for address autoconfiguration, `dns` (when not empty) as RDNSS.
class RouterAdvertiser {
public:
    RouterAdvertiser(const NetNamespace& ns, const std::string& prefix, const std::string& dns,
                     const std::string& extra = {});
    bool Running() const;

private:
    TempFolder folder_;
    std::unique_ptr<ChildProcess> radvd_;
};

// Sends one unsolicited neighbour advertisement (override flag set, router flag as given) from
// inside `ns` on "veth0" to all nodes: "`targetIp` is at `mac`". What an attacker forges to
// take an IPv6 address over; the kernel fills in the checksum.
void SendNeighbourAdvert(const NetNamespace& ns, const std::string& targetIp,
                         const std::string& mac, bool router = false);

// Waits until no address of "veth0" is still under duplicate address detection (a tentative
// address can neither send nor be answered); false after 5 s.
bool WaitForIpv6Addresses(const NetNamespace& ns);

// Lets the victim's kernel accept advertisements (`accept_ra` = 2, also while forwarding) or
// ignore them (0: a network manager in user space handles them).
void AcceptRouterAdverts(const NetNamespace& ns, int acceptRa);

}  // namespace kestrove::test
