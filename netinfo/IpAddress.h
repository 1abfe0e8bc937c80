#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <string>
#include <string_view>

#include "netinfo/Ipv4.h"

namespace kestrove {

// An IPv6 address, or an IPv4 one where routes and gateways of either family are held alike.
// Bytes in network order, so comparing them orders addresses numerically.
struct IpAddress {
    enum class Family : std::uint8_t { None, V4, V6 };

    Family family = Family::None;
    std::array<std::uint8_t, 16> bytes{};

    static IpAddress FromV4(Ipv4 address);
    static IpAddress FromV6(const std::uint8_t* sixteenBytes);

    bool IsV4() const { return family == Family::V4; }
    bool IsV6() const { return family == Family::V6; }
    // The IPv4 number of a V4 address (0 otherwise).
    Ipv4 V4() const;
    // fe80::/10.
    bool IsLinkLocal() const;
    bool IsUnspecified() const;

    friend bool operator==(const IpAddress&, const IpAddress&) = default;
    friend std::strong_ordering operator<=>(const IpAddress&, const IpAddress&) = default;
};

// Dotted decimal for IPv4; the RFC 5952 text for IPv6: lower-case hexadecimal without leading
// zeros, the longest run of two or more zero groups (the first of equal runs) written "::",
// and an IPv4-mapped address as ::ffff:192.0.2.1. "" for no address.
std::string FormatIp(const IpAddress& address);

// Reads dotted decimal or any valid IPv6 text (compressed or not, either case, with an embedded
// IPv4 tail). False for anything else, zone indexes ("%eth0") included.
bool ParseIp(std::string_view text, IpAddress& address);

struct IpAddressHash {
    std::size_t operator()(const IpAddress& a) const;
};

}  // namespace kestrove
