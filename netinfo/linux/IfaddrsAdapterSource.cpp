#include "netinfo/linux/IfaddrsAdapterSource.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <net/if_arp.h>
// After the C library's net/if.h, whose ifreq the ioctl takes.
#include <linux/ethtool.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netpacket/packet.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "netinfo/Ipv4.h"
#include "netinfo/linux/DefaultRoute.h"
#include "netinfo/linux/UniqueFd.h"

namespace kestrove {
namespace {

struct Interface {
    int index = 0;
    std::string name;
    AdapterRecord record;
    bool haveIpv4 = false;
};

std::string DottedOf(const sockaddr* address) {
    if (address == nullptr || address->sa_family != AF_INET) {
        return "0.0.0.0";
    }
    sockaddr_in in{};
    std::memcpy(&in, address, sizeof in);
    return FormatDotted(ntohl(in.sin_addr.s_addr));
}

// The driver's name as ethtool reports it, "" when the device does not say.
std::string DriverName(int probe, const std::string& name) {
    ethtool_drvinfo info{};
    info.cmd = ETHTOOL_GDRVINFO;
    ifreq request{};
    if (name.size() >= sizeof request.ifr_name) {
        return "";
    }
    std::memcpy(request.ifr_name, name.data(), name.size());
    request.ifr_data = reinterpret_cast<char*>(&info);
    if (probe < 0 || ::ioctl(probe, SIOCETHTOOL, &request) != 0) {
        return "";
    }
    std::string driver(info.driver, strnlen(info.driver, sizeof info.driver));
    bool printable =
        std::all_of(driver.begin(), driver.end(), [](char c) { return c > ' ' && c < 0x7F; });
    return printable ? driver : "";
}

std::vector<Interface> HardwareInterfaces(const ifaddrs* list) {
    std::vector<Interface> found;
    for (const ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_addr == nullptr || a->ifa_name == nullptr ||
            a->ifa_addr->sa_family != AF_PACKET || (a->ifa_flags & IFF_LOOPBACK) != 0) {
            continue;
        }
        sockaddr_ll link{};
        std::memcpy(&link, a->ifa_addr, sizeof link);
        if (link.sll_halen == 0 || link.sll_hatype == ARPHRD_LOOPBACK) {
            continue;
        }
        Interface& i = found.emplace_back();
        i.index = link.sll_ifindex;
        i.name = a->ifa_name;
        i.record.mac = MacAddress::FromBytes(link.sll_addr, link.sll_halen);
    }
    return found;
}

// An address's label is its interface name, or that name, ":" and a suffix.
bool LabelOf(std::string_view label, const std::string& name) {
    return label.substr(0, label.find(':')) == name;
}

void AddFirstIpv4(const ifaddrs* list, std::vector<Interface>& interfaces) {
    for (const ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_addr == nullptr || a->ifa_name == nullptr || a->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        for (Interface& i : interfaces) {
            if (!i.haveIpv4 && LabelOf(a->ifa_name, i.name)) {
                i.record.ipAddress = DottedOf(a->ifa_addr);
                i.record.ipMask = DottedOf(a->ifa_netmask);
                i.haveIpv4 = true;
                break;
            }
        }
    }
}

}  // namespace

AdapterQueryStatus IfaddrsAdapterSource::Read(std::vector<AdapterRecord>& adapters) {
    adapters.clear();
    ifaddrs* raw = nullptr;
    if (::getifaddrs(&raw) != 0) {
        return AdapterQueryStatus::Failed;
    }
    std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> list(raw, &::freeifaddrs);
    std::vector<Interface> interfaces = HardwareInterfaces(list.get());
    if (interfaces.empty()) {
        return AdapterQueryStatus::NoAdapter;
    }
    AddFirstIpv4(list.get(), interfaces);

    const std::string defaultInterface = ReadDefaultRouteInterface();
    std::stable_sort(interfaces.begin(), interfaces.end(), [&](const auto& a, const auto& b) {
        return std::pair(a.name != defaultInterface, a.index) <
               std::pair(b.name != defaultInterface, b.index);
    });

    UniqueFd probe(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    for (Interface& i : interfaces) {
        std::string driver = DriverName(probe.Get(), i.name);
        i.record.description = driver.empty() ? i.name : i.name + " (" + driver + ")";
        i.record.interfaceIndex = static_cast<int>(i.index);
        adapters.push_back(std::move(i.record));
    }
    return AdapterQueryStatus::Ok;
}

}  // namespace kestrove
