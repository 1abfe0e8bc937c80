#include "monitor/app/AdapterChoice.h"

namespace kestrove {

namespace {
constexpr const char* kCurrent = "NIC_Current";
}

AdapterChoice::Shown AdapterChoice::Form_Load() {
    shown_ = Shown{};
    for (int n = 0; n < OwnAdapters::kMaxAdapters; ++n) {
        std::string name = settings_.ReadIni("NIC" + std::to_string(n), "NIC_Name");
        if (name.empty()) {
            break;
        }
        shown_.names.push_back(name);
    }
    shown_.name = settings_.ReadIni(kCurrent, "NIC_Name");
    shown_.mac = settings_.ReadIni(kCurrent, "MAC_Addr");
    shown_.ip = settings_.ReadIni(kCurrent, "IP_Addr");
    shown_.subnet = settings_.ReadIni(kCurrent, "SubnetMask");
    ApplyWatch(shown_);
    return shown_;
}

AdapterChoice::Shown AdapterChoice::cboCard_Click(int index, std::string_view text) {
    if (index < 0 || index >= OwnAdapters::kMaxAdapters) {
        return shown_;
    }
    std::string section = "NIC" + std::to_string(index);
    shown_.name = text;
    settings_.WriteIni(kCurrent, "NIC_Name", shown_.name);
    shown_.mac = settings_.ReadIni(section, "MAC_Addr");
    shown_.ip = settings_.ReadIni(section, "IP_Addr");
    shown_.subnet = settings_.ReadIni(section, "SubnetMask");
    settings_.WriteIni(kCurrent, "MAC_Addr", shown_.mac);
    settings_.WriteIni(kCurrent, "IP_Addr", shown_.ip);
    settings_.WriteIni(kCurrent, "SubnetMask", shown_.subnet);
    ApplyWatch(shown_);
    return shown_;
}

void AdapterChoice::ApplyWatch(const Shown& shown) {
    // Without a remembered pick (first use) or with a damaged one, splitting "" would watch
    // 0.0.0.0/0, every entry of the table: keep watching the current subnet instead.
    Ipv4 ip = 0;
    Ipv4 mask = 0;
    if (!ParseDotted(shown.ip, ip) || !ParseDotted(shown.subnet, mask)) {
        return;
    }
    adapters_.WatchIP = ip;
    adapters_.WatchMask = mask;
    for (const AdapterRecord& adapter : adapters_.Adapters) {
        if (adapter.ipAddress == shown.ip) {
            adapters_.WatchInterface = adapter.interfaceIndex;
            break;
        }
    }
}

}  // namespace kestrove
