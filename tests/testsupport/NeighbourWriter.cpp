#include "testsupport/NeighbourWriter.h"

#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>

#include <cstring>

namespace kestrove::test {

NeighbourWriter::NeighbourWriter()
    : fd_(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)) {
    ifindex_ = static_cast<int>(::if_nametoindex("veth0"));
}

bool NeighbourWriter::Replace(Ipv4 address, const MacAddress& mac) {
    struct {
        nlmsghdr header;
        ndmsg body;
        rtattr dst;
        std::uint8_t dstBytes[4];
        rtattr lladdr;
        std::uint8_t macBytes[8];
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_NEWNEIGH;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_CREATE | NLM_F_REPLACE | NLM_F_ACK;
    request.header.nlmsg_seq = ++sequence_;
    request.body.ndm_family = AF_INET;
    request.body.ndm_ifindex = ifindex_;
    request.body.ndm_state = NUD_PERMANENT;
    request.dst = {static_cast<unsigned short>(sizeof(rtattr) + 4), NDA_DST};
    for (int i = 0; i < 4; ++i) {
        request.dstBytes[i] = static_cast<std::uint8_t>(address >> (24 - 8 * i));
    }
    request.lladdr = {static_cast<unsigned short>(sizeof(rtattr) + mac.length), NDA_LLADDR};
    std::memcpy(request.macBytes, mac.bytes.data(), mac.length);
    if (::send(fd_.Get(), &request, sizeof request, 0) != sizeof request) {
        return false;
    }
    char answer[1024];
    ssize_t n = ::recv(fd_.Get(), answer, sizeof answer, 0);
    if (n < static_cast<ssize_t>(sizeof(nlmsghdr) + sizeof(nlmsgerr))) {
        return false;
    }
    nlmsgerr error;
    std::memcpy(&error, answer + sizeof(nlmsghdr), sizeof error);
    return error.error == 0;
}

}  // namespace kestrove::test
