// The IEEE registry files on arbitrary bytes: a damaged registry must never crash the reader,
// and every maker it names must be short, valid to show and free of control characters.
#include "fuzz/FuzzSupport.h"
#include "monitor/watch/OuiRegistry.h"

namespace kestrove::fuzz {

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    OuiRegistry registry("/nonexistent");
    registry.AddRegistryText(AsText(data, size));
    // Ask for the prefixes the text seems to name, and a few fixed ones.
    std::vector<MacAddress> asked;
    for (std::size_t i = 0; i + 8 <= size && asked.size() < 16; ++i) {
        MacAddress mac;
        std::string text(AsText(data + i, 8));
        text += "-00-00-00";
        if (ParseMac(text, mac)) {
            asked.push_back(mac);
        }
    }
    const std::uint8_t hsrp[] = {0x00, 0x00, 0x0C, 0x07, 0xAC, 0x01};
    asked.push_back(MacAddress::FromBytes(hsrp, sizeof hsrp));
    for (const MacAddress& mac : asked) {
        std::string vendor = registry.Vendor(mac);
        FUZZ_CHECK(vendor.size() <= OuiRegistry::kMaxNameBytes);
        for (char c : vendor) {
            FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
        }
    }
    return 0;
}

}  // namespace kestrove::fuzz
