#include "testsupport/MonitorProcess.h"

#include <cstdlib>
#include <stdexcept>

#include "common/Cp932.h"

namespace kestrove::test {

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

}  // namespace kestrove::test
