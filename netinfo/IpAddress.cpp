#include "netinfo/IpAddress.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace kestrove {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

void AppendHexGroup(std::string& text, unsigned group) {
    static constexpr char kHex[] = "0123456789abcdef";
    bool started = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
        unsigned digit = (group >> shift) & 0xF;
        if (digit != 0 || started || shift == 0) {
            text.push_back(kHex[digit]);
            started = true;
        }
    }
}

// Reads the groups of one side of "::" into `groups`; the last part may be a dotted IPv4 tail
// (two groups) when `tailAllowed`. False on anything malformed.
bool ParseGroups(std::string_view text, bool tailAllowed, std::array<unsigned, 8>& groups,
                 int& count) {
    count = 0;
    if (text.empty()) {
        return true;
    }
    for (;;) {
        std::size_t colon = text.find(':');
        std::string_view part = text.substr(0, colon);
        if (colon == std::string_view::npos && tailAllowed &&
            part.find('.') != std::string_view::npos) {
            Ipv4 v4 = 0;
            if (count > 6 || !ParseDotted(part, v4)) {
                return false;
            }
            groups[count++] = v4 >> 16;
            groups[count++] = v4 & 0xFFFF;
            return true;
        }
        if (part.empty() || part.size() > 4 || count >= 8) {
            return false;
        }
        unsigned group = 0;
        for (char c : part) {
            int digit = HexDigit(c);
            if (digit < 0) {
                return false;
            }
            group = group * 16 + static_cast<unsigned>(digit);
        }
        groups[count++] = group;
        if (colon == std::string_view::npos) {
            return true;
        }
        text.remove_prefix(colon + 1);
    }
}

bool ParseV6(std::string_view text, IpAddress& address) {
    std::array<unsigned, 8> head{};
    std::array<unsigned, 8> tail{};
    int headCount = 0;
    int tailCount = 0;
    std::size_t gap = text.find("::");
    if (gap == std::string_view::npos) {
        if (!ParseGroups(text, true, head, headCount) || headCount != 8) {
            return false;
        }
    } else {
        std::string_view before = text.substr(0, gap);
        std::string_view after = text.substr(gap + 2);
        if (after.find("::") != std::string_view::npos ||
            !ParseGroups(before, false, head, headCount) ||
            !ParseGroups(after, true, tail, tailCount) || headCount + tailCount > 7) {
            return false;
        }
    }
    std::array<unsigned, 8> groups{};
    std::copy_n(head.begin(), headCount, groups.begin());
    std::copy_n(tail.begin(), tailCount, groups.begin() + (8 - tailCount));
    address.family = IpAddress::Family::V6;
    for (int i = 0; i < 8; ++i) {
        address.bytes[2 * i] = static_cast<std::uint8_t>(groups[i] >> 8);
        address.bytes[2 * i + 1] = static_cast<std::uint8_t>(groups[i] & 0xFF);
    }
    return true;
}

}  // namespace

IpAddress IpAddress::FromV4(Ipv4 address) {
    IpAddress a;
    a.family = Family::V4;
    for (int i = 0; i < 4; ++i) {
        a.bytes[i] = static_cast<std::uint8_t>(address >> (24 - 8 * i));
    }
    return a;
}

IpAddress IpAddress::FromV6(const std::uint8_t* sixteenBytes) {
    IpAddress a;
    a.family = Family::V6;
    std::memcpy(a.bytes.data(), sixteenBytes, 16);
    return a;
}

Ipv4 IpAddress::V4() const {
    return IsV4() ? MakeIpv4(bytes[0], bytes[1], bytes[2], bytes[3]) : 0;
}

bool IpAddress::IsLinkLocal() const {
    return IsV6() && bytes[0] == 0xFE && (bytes[1] & 0xC0) == 0x80;
}

bool IpAddress::IsUnspecified() const {
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

std::string FormatIp(const IpAddress& address) {
    if (address.IsV4()) {
        return FormatDotted(address.V4());
    }
    if (!address.IsV6()) {
        return {};
    }
    std::array<unsigned, 8> groups{};
    for (int i = 0; i < 8; ++i) {
        groups[i] = (unsigned{address.bytes[2 * i]} << 8) | address.bytes[2 * i + 1];
    }
    // ::ffff:a.b.c.d keeps its IPv4 part dotted.
    bool mapped =
        std::all_of(groups.begin(), groups.begin() + 5, [](unsigned g) { return g == 0; }) &&
        groups[5] == 0xFFFF;
    int bestStart = -1;
    int bestLength = 1;  // a single zero group is never compressed
    for (int i = 0; i < 8;) {
        if (groups[i] != 0) {
            ++i;
            continue;
        }
        int j = i;
        while (j < 8 && groups[j] == 0) {
            ++j;
        }
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j;
    }
    int lastGroup = mapped ? 6 : 8;
    std::string text;
    text.reserve(40);
    for (int i = 0; i < lastGroup; ++i) {
        if (i == bestStart) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':') {
            text.push_back(':');
        }
        AppendHexGroup(text, groups[i]);
    }
    if (mapped) {
        if (text.back() != ':') {
            text.push_back(':');
        }
        text += FormatDotted(
            MakeIpv4(address.bytes[12], address.bytes[13], address.bytes[14], address.bytes[15]));
    }
    return text;
}

bool ParseIp(std::string_view text, IpAddress& address) {
    if (text.find(':') != std::string_view::npos) {
        IpAddress parsed;
        if (!ParseV6(text, parsed)) {
            return false;
        }
        address = parsed;
        return true;
    }
    Ipv4 v4 = 0;
    if (!ParseDotted(text, v4)) {
        return false;
    }
    address = IpAddress::FromV4(v4);
    return true;
}

std::size_t IpAddressHash::operator()(const IpAddress& a) const {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
    std::memcpy(&high, a.bytes.data(), 8);
    std::memcpy(&low, a.bytes.data() + 8, 8);
    return std::hash<std::uint64_t>{}(high * 0x9E3779B97F4A7C15ull ^ low ^
                                      static_cast<std::uint64_t>(a.family));
}

}  // namespace kestrove
