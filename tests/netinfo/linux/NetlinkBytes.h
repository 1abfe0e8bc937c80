#pragma once

#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace kestrove::test {

// Netlink messages built byte by byte, as the kernel lays them out, for the parsers' tests.
using Bytes = std::vector<std::uint8_t>;

template <class T>
void Append(Bytes& out, const T& value) {
    auto* p = reinterpret_cast<const std::uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof value);
}

inline void Pad4(Bytes& out) {
    out.resize((out.size() + 3) & ~std::size_t{3});
}

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

inline Bytes Attr(std::uint16_t type, const Bytes& payload) {
    Bytes out;
    Append(out, rtattr{static_cast<std::uint16_t>(sizeof(rtattr) + payload.size()), type});
    out.insert(out.end(), payload.begin(), payload.end());
    Pad4(out);
    return out;
}

// A fixed header (ndmsg, rtmsg, …) followed by attributes.
template <class Header>
Bytes Body(const Header& header, std::initializer_list<Bytes> attrs) {
    Bytes out;
    Append(out, header);
    Pad4(out);
    Bytes rest = Join(attrs);
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

inline Bytes Message(std::uint16_t type, const Bytes& body, std::uint32_t seq) {
    nlmsghdr h{};
    h.nlmsg_len = static_cast<std::uint32_t>(sizeof h + body.size());
    h.nlmsg_type = type;
    h.nlmsg_flags = NLM_F_MULTI;
    h.nlmsg_seq = seq;
    Bytes out;
    Append(out, h);
    out.insert(out.end(), body.begin(), body.end());
    Pad4(out);
    return out;
}

}  // namespace kestrove::test
