#include "testsupport/FakeNetInfo.h"

#include <cstdlib>
#include <stdexcept>

namespace kestrove::test {

MacAddress Mac(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t pos = 0; pos + 2 <= text.size(); pos += 3) {
        bytes.push_back(
            static_cast<std::uint8_t>(std::stoul(std::string(text.substr(pos, 2)), nullptr, 16)));
    }
    return MacAddress::FromBytes(bytes.data(), bytes.size());
}

Ipv4 Ip(std::string_view dotted) {
    Ipv4 address = 0;
    if (!ParseDotted(dotted, address)) {
        throw std::invalid_argument("not a dotted quad");
    }
    return address;
}

void FakeArpTable::Replace(std::string_view ip, std::string_view mac) {
    for (ArpEntry& e : table) {
        if (e.address == Ip(ip)) {
            e.mac = Mac(mac);
        }
    }
}

}  // namespace kestrove::test
