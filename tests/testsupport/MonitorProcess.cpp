#include "testsupport/MonitorProcess.h"

#include <cstdlib>
#include <stdexcept>

#include "common/Cp932.h"
#include "testsupport/Ipv6Attacks.h"
#include "testsupport/RunCommand.h"

namespace kestrove::test {

using namespace std::chrono_literals;

LoopbackResolver::LoopbackResolver(const NetNamespace& ns) : dir_("/etc/netns/" + ns.Name()) {
    std::filesystem::create_directories(dir_);
    WriteFile(dir_ / "resolv.conf", "nameserver 127.0.0.1\noptions timeout:1 attempts:1\n");
}

LoopbackResolver::~LoopbackResolver() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

PoisonedLan::PoisonedLan(std::string_view tag)
    : lan_(tag),
      gateway_(lan_.AddHost("gw", "02:00:00:00:00:01", "10.200.0.1/24")),
      victim_(lan_.AddHost("victim", "02:00:00:00:00:0a", "10.200.0.10/24")),
      attacker_(lan_.AddHost("attacker", "02:00:00:00:00:66", "10.200.0.66/24")),
      resolver_(victim_) {}

void PoisonedLan::Poison(const std::string& mac) {
    SendArp(attacker_, "veth0", 1, mac, "10.200.0.1", "00:00:00:00:00:00", "10.200.0.1");
}

RouterLan::RouterLan(std::string_view tag)
    : lan_(tag),
      router_(lan_.AddHost("gw", "02:00:00:00:00:01", "10.200.0.1/24")),
      victim_(lan_.AddHost("victim", "02:00:00:00:00:0a", "10.200.0.10/24")),
      attacker_(lan_.AddHost("attacker", "02:00:00:00:00:66", "10.200.0.66/24")),
      resolver_(victim_) {
    router_.Exec("sysctl -qw net.ipv4.ip_forward=1 net.ipv6.conf.all.forwarding=1");
    router_.Ip({"addr", "add", "2001:db8:77::1/64", "dev", "veth0", "nodad"});
    // The far side of the router is a veth pair of its own: probes die before they leave.
    router_.Ip({"link", "add", "wan0", "type", "veth", "peer", "name", "wan1"});
    router_.Ip({"link", "set", "wan0", "up"});
    router_.Ip({"link", "set", "wan1", "up"});
    router_.Ip({"route", "add", "192.0.2.0/24", "dev", "wan0"});
    router_.Ip({"-6", "route", "add", "2001:db8::/48", "dev", "wan0"});
    AcceptRouterAdverts(victim_, 2);
    victim_.Ip({"route", "add", "default", "via", "10.200.0.1"});
    radvd_ = std::make_unique<RouterAdvertiser>(router_, "2001:db8:77::/64", "2001:db8:77::53");
}

bool RouterLan::WaitForRouter() {
    bool advertised = WaitFor(
        [&] {
            return victim_.ExecOutput("ip -6 route show default").find("proto ra") !=
                   std::string::npos;
        },
        15s);
    return advertised && WaitForIpv6Addresses(victim_) &&
           victim_.Exec("ping -c1 -W2 10.200.0.1 >/dev/null") == 0 &&
           victim_.Exec("ping -6 -c1 -W2 2001:db8:77::1 >/dev/null") == 0 &&
           victim_.Exec("ping -6 -c1 -W2 fe80::ff:fe00:1%veth0 >/dev/null") == 0;
}

void RouterLan::PoisonGateway() {
    SendArp(attacker_, "veth0", 1, "02:00:00:00:00:66", "10.200.0.1", "00:00:00:00:00:00",
            "10.200.0.1");
}

MonitorFolder::MonitorFolder() {
    const char* bin = std::getenv("KESTROVE_BIN_DIR");
    if (bin == nullptr) {
        throw std::runtime_error("KESTROVE_BIN_DIR is not set");
    }
    std::filesystem::copy_file(std::filesystem::path(bin) / "Kestrove", folder_ / "Kestrove");
    std::filesystem::permissions(runtime_.Path(), std::filesystem::perms::owner_all);
}

std::string MonitorFolder::LogText() const {
    return Cp932ToUtf8(ReadFile(folder_ / "log" / "alart.log"));
}

std::unique_ptr<ChildProcess> MonitorFolder::Start(const NetNamespace& ns) const {
    std::string runtime = runtime_.Path().string();
    return std::make_unique<ChildProcess>(
        std::vector<std::string>{"ip", "netns", "exec", ns.Name(), (folder_ / "Kestrove").string()},
        std::vector<std::string>{"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtime,
                                 "HOME=" + runtime, "XDG_CONFIG_HOME=" + runtime + "/config"});
}

std::unique_ptr<ChildProcess> MonitorFolder::StartUnprivileged(const NetNamespace& ns) const {
    for (const std::filesystem::path& p : {folder_.Path(), runtime_.Path()}) {
        RunCommand({"chown", "-R", "65534:65534", p.string()});
    }
    std::string runtime = runtime_.Path().string();
    return std::make_unique<ChildProcess>(
        std::vector<std::string>{"ip", "netns", "exec", ns.Name(), "setpriv", "--reuid=65534",
                                 "--regid=65534", "--clear-groups", "--inh-caps=-all",
                                 "--bounding-set=-all", (folder_ / "Kestrove").string()},
        std::vector<std::string>{"QT_QPA_PLATFORM=offscreen", "XDG_RUNTIME_DIR=" + runtime,
                                 "HOME=" + runtime, "XDG_CONFIG_HOME=" + runtime + "/config"});
}

}  // namespace kestrove::test
