#include "netinfo/OwnAdapters.h"

#include <algorithm>

#include "netinfo/MacAddress.h"

namespace kestrove {

std::string OwnAdapters::ReadAdapterList() {
    Adapters.assign(1, AdapterRecord{});
    std::vector<AdapterRecord> found;
    switch (source_.Read(found)) {
        case AdapterQueryStatus::NotSupported:
            return "Not supported";
        case AdapterQueryStatus::InvalidParameter:
            return "Invalid parameter";
        case AdapterQueryStatus::NoAdapter:
            return "No adapter";
        case AdapterQueryStatus::Failed:
            return "";
        case AdapterQueryStatus::Ok:
            break;
    }
    if (found.empty()) {
        return "No adapter";
    }
    // The lists hold six adapters; later ones are left out.
    if (found.size() > kMaxAdapters) {
        found.resize(kMaxAdapters);
    }
    Adapters = std::move(found);
    for (std::size_t j = 0; j < Adapters.size(); ++j) {
        OwnDescList[j] = Adapters[j].description;
    }
    return std::to_string(Adapters.size() - 1);
}

void OwnAdapters::GetOwnAdapters(SettingsStore* settings) {
    if (settings != nullptr) {
        for (int n = 0; n < kMaxAdapters; ++n) {
            settings->DeleteIniSection("NIC" + std::to_string(n));
        }
    }
    std::string result = ReadAdapterList();
    // An unexpected failure ("") is handled like no adapter: the lists keep what they held.
    if (result.empty() || result == "Invalid parameter" || result == "No adapter" ||
        result == "Not supported") {
        return;
    }
    AdapterMax = std::stoi(result);
    for (int i = 0; i <= AdapterMax; ++i) {
        const AdapterRecord& adapter = Adapters[i];
        OwnMacList[i] = FormatMac(adapter.mac);
        OwnIpList[i] = adapter.ipAddress;
        OwnMaskList[i] = adapter.ipMask;
        if (settings != nullptr) {
            std::string section = "NIC" + std::to_string(i);
            settings->WriteIni(section, "NIC_Name", OwnDescList[i]);
            settings->WriteIni(section, "MAC_Addr", OwnMacList[i]);
            settings->WriteIni(section, "IP_Addr", OwnIpList[i]);
            settings->WriteIni(section, "SubnetMask", OwnMaskList[i]);
        }
    }
    WatchIP = SplitOctets(OwnIpList[0]);
    WatchMask = SplitOctets(OwnMaskList[0]);
    WatchInterface = Adapters[0].interfaceIndex;
}

}  // namespace kestrove
