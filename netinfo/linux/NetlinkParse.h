#pragma once

#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace kestrove::netlink {

// Walking netlink datagrams whose bytes are not trusted: no length in them is believed before
// it is checked against what is really there.

using Bytes = std::span<const std::uint8_t>;

// The caller has checked that sizeof(T) bytes are there; memcpy because the buffer may sit at
// any alignment.
template <class T>
T Load(Bytes bytes, std::size_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

constexpr std::size_t Align4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

constexpr std::size_t kHeaderSize = Align4(sizeof(nlmsghdr));

// Calls `onMessage(header, body)` for every whole message of a datagram until it returns
// false. Returns false when a header or length does not fit the bytes.
template <class OnMessage>
bool ForEachMessage(Bytes bytes, OnMessage onMessage) {
    for (std::size_t offset = 0; offset < bytes.size();) {
        if (bytes.size() - offset < sizeof(nlmsghdr)) {
            return false;
        }
        auto header = Load<nlmsghdr>(bytes, offset);
        if (header.nlmsg_len < sizeof(nlmsghdr) || header.nlmsg_len > bytes.size() - offset) {
            return false;
        }
        Bytes body = bytes.subspan(offset, header.nlmsg_len);
        body = body.subspan(std::min(kHeaderSize, body.size()));
        if (!onMessage(header, body)) {
            return true;
        }
        offset += Align4(header.nlmsg_len);
    }
    return true;
}

// Calls `onAttribute(type, payload)` for every attribute from `offset` on (the nested and
// byte-order bits masked off the type). Returns false when one does not fit the bytes.
template <class OnAttribute>
bool ForEachAttribute(Bytes body, std::size_t offset, OnAttribute onAttribute) {
    while (offset < body.size()) {
        if (body.size() - offset < sizeof(rtattr)) {
            return false;
        }
        auto attribute = Load<rtattr>(body, offset);
        if (attribute.rta_len < sizeof(rtattr) || attribute.rta_len > body.size() - offset) {
            return false;
        }
        onAttribute(static_cast<unsigned>(attribute.rta_type & NLA_TYPE_MASK),
                    body.subspan(offset + sizeof(rtattr), attribute.rta_len - sizeof(rtattr)));
        offset += Align4(attribute.rta_len);
    }
    return true;
}

template <class T>
bool LoadExact(Bytes payload, T& value) {
    if (payload.size() != sizeof(T)) {
        return false;
    }
    value = Load<T>(payload, 0);
    return true;
}

}  // namespace kestrove::netlink
