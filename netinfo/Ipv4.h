#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrove {

// IPv4 addresses are held as 32-bit numbers with the first octet in the top byte, so numeric
// order is the order of the dotted text's octets.
using Ipv4 = std::uint32_t;

constexpr Ipv4 MakeIpv4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return (Ipv4{a} << 24) | (Ipv4{b} << 16) | (Ipv4{c} << 8) | Ipv4{d};
}

// Plain dotted decimal: 192.168.1.5.
std::string FormatDotted(Ipv4 address);

// The 15-character form with every octet right-aligned in three characters: 192.168.␣␣1.␣␣5.
std::string FormatAddressText(Ipv4 address);

// Splits a text at its first three dots into four octets, each read as a decimal number and
// kept to a byte. Text that is not a dotted quad gives 0 for the parts it lacks, so a missing
// or damaged value watches nothing in particular rather than failing.
Ipv4 SplitOctets(std::string_view text);

// Strict reading of a dotted quad (for the sweeper and the name lookup).
bool ParseDotted(std::string_view text, Ipv4& address);

}  // namespace kestrove
