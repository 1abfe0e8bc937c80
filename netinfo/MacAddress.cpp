#include "netinfo/MacAddress.h"

#include <algorithm>

namespace kestrove {

MacAddress MacAddress::FromBytes(const std::uint8_t* data, std::size_t count) {
    MacAddress mac;
    mac.length = static_cast<std::uint8_t>(std::min(count, kMaxLength));
    std::copy_n(data, mac.length, mac.bytes.begin());
    return mac;
}

bool MacAddress::IsUnresolved() const {
    if (length == 0) {
        return true;
    }
    return length == 6 &&
           std::all_of(bytes.begin(), bytes.begin() + 6, [](std::uint8_t b) { return b == 0; });
}

std::string FormatMac(const std::uint8_t* bytes, std::size_t length) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    length = std::min(length, MacAddress::kMaxLength);
    std::string text;
    text.reserve(length * 3);
    for (std::size_t i = 0; i < length; ++i) {
        if (i > 0) {
            text.push_back('-');
        }
        text.push_back(kHex[bytes[i] >> 4]);
        text.push_back(kHex[bytes[i] & 0x0F]);
    }
    return text;
}

std::string FormatMac(const MacAddress& mac) {
    return FormatMac(mac.bytes.data(), mac.length);
}

bool ParseMac(std::string_view text, MacAddress& mac) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        return -1;
    };
    if (text.size() < 2 || text.size() > 3 * MacAddress::kMaxLength - 1 || text.size() % 3 != 2) {
        return false;
    }
    MacAddress parsed;
    for (std::size_t i = 0; i < text.size(); i += 3) {
        int high = digit(text[i]);
        int low = digit(text[i + 1]);
        if (high < 0 || low < 0 || (i + 2 < text.size() && text[i + 2] != '-')) {
            return false;
        }
        parsed.bytes[parsed.length++] = static_cast<std::uint8_t>(high * 16 + low);
    }
    mac = parsed;
    return true;
}

std::string HexByte2(std::string_view hex) {
    std::string padded = "00";
    padded.append(hex);
    return padded.substr(padded.size() - 2);
}

}  // namespace kestrove
