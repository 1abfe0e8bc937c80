#include <stdexcept>

#include "testsupport/NetNamespace.h"

namespace kestrove::test {

TestLan::TestLan(std::string_view tag) : tag_(tag), switch_(std::string(tag) + "-lan") {
    switch_.Ip({"link", "add", "br0", "type", "bridge"});
    switch_.Ip({"link", "set", "br0", "up"});
}

NetNamespace& TestLan::AddHost(const std::string& name, const std::string& mac,
                               const std::string& cidr) {
    auto host = std::make_unique<NetNamespace>(tag_ + "-" + name);
    // Port names stay short (15 characters at most) whatever the host is called.
    std::string port = "p" + std::to_string(hosts_.size());
    switch_.Ip({"link", "add", port, "type", "veth", "peer", "name", "veth0", "netns", host->Name(),
                "address", mac});
    switch_.Ip({"link", "set", port, "master", "br0", "up"});
    host->Ip({"link", "set", "veth0", "up"});
    host->Ip({"addr", "add", cidr, "dev", "veth0"});
    hosts_.emplace_back(name, std::move(host));
    return *hosts_.back().second;
}

NetNamespace& TestLan::Host(const std::string& name) {
    for (auto& [hostName, ns] : hosts_) {
        if (hostName == name) {
            return *ns;
        }
    }
    throw std::out_of_range("no host " + name + " in the test LAN");
}

}  // namespace kestrove::test
