#include "netinfo/Ipv4.h"

#include <cstdio>

namespace kestrove {
namespace {

// Leading decimal digits of a part as a number, held to 255 (blanks before them skipped).
std::uint8_t OctetValue(std::string_view part) {
    std::size_t i = 0;
    while (i < part.size() && part[i] == ' ') {
        ++i;
    }
    unsigned value = 0;
    for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i) {
        value = std::min(value * 10 + static_cast<unsigned>(part[i] - '0'), 255u);
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace

std::string FormatDotted(Ipv4 address) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", (address >> 24) & 0xFF, (address >> 16) & 0xFF,
                  (address >> 8) & 0xFF, address & 0xFF);
    return buf;
}

std::string FormatAddressText(Ipv4 address) {
    // Called for every new host and every alarm: plain digit arithmetic, no format parsing.
    std::string text(15, ' ');
    for (int i = 0; i < 4; ++i) {
        unsigned octet = (address >> (24 - 8 * i)) & 0xFF;
        char* field = text.data() + 4 * i;
        field[2] = static_cast<char>('0' + octet % 10);
        if (octet >= 10) {
            field[1] = static_cast<char>('0' + octet / 10 % 10);
        }
        if (octet >= 100) {
            field[0] = static_cast<char>('0' + octet / 100);
        }
        if (i < 3) {
            field[3] = '.';
        }
    }
    return text;
}

Ipv4 SplitOctets(std::string_view text) {
    Ipv4 address = 0;
    for (int i = 0; i < 4; ++i) {
        std::size_t dot = i < 3 ? text.find('.') : std::string_view::npos;
        std::string_view part = text.substr(0, dot);
        address = (address << 8) | OctetValue(part);
        text = dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
    }
    return address;
}

bool ParseDotted(std::string_view text, Ipv4& address) {
    Ipv4 value = 0;
    for (int i = 0; i < 4; ++i) {
        std::size_t end = i < 3 ? text.find('.') : text.size();
        if (end == std::string_view::npos || end == 0 || end > 3) {
            return false;
        }
        unsigned octet = 0;
        for (char c : text.substr(0, end)) {
            if (c < '0' || c > '9') {
                return false;
            }
            octet = octet * 10 + static_cast<unsigned>(c - '0');
        }
        if (octet > 255) {
            return false;
        }
        value = (value << 8) | octet;
        text = i < 3 ? text.substr(end + 1) : std::string_view{};
    }
    address = value;
    return true;
}

}  // namespace kestrove
