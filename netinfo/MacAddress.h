#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrove {

// A hardware address as the neighbour table gives it: up to 8 bytes and their count.
struct MacAddress {
    static constexpr std::size_t kMaxLength = 8;

    std::uint8_t length = 0;
    std::array<std::uint8_t, kMaxLength> bytes{};

    static MacAddress FromBytes(const std::uint8_t* data, std::size_t count);

    // The six zero bytes of an unresolved entry, or no address at all: such an entry is never
    // recorded, compared or listed.
    bool IsUnresolved() const;

    friend bool operator==(const MacAddress& a, const MacAddress& b) {
        return a.length == b.length && a.bytes == b.bytes;
    }
};

// The zero MAC text that stands for an unresolved entry.
inline constexpr std::string_view kZeroMacText = "00-00-00-00-00-00";

// Upper-case hexadecimal byte pairs joined by "-": 00-AA-BB-CC-DD-0E. At most 8 bytes.
std::string FormatMac(const std::uint8_t* bytes, std::size_t length);
std::string FormatMac(const MacAddress& mac);

// Reads a MAC text as FormatMac writes it (hexadecimal pairs joined by "-", either case, 1 to
// 8 bytes). False for anything else.
bool ParseMac(std::string_view text, MacAddress& mac);

// The last two characters of "00" followed by a hexadecimal text of one or two digits.
std::string HexByte2(std::string_view hex);

}  // namespace kestrove
