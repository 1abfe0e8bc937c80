#include "netinfo/linux/UdpFirstHopProber.h"

#include <linux/errqueue.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "netinfo/linux/UniqueFd.h"

namespace kestrove {
namespace {

// The traceroute port range: a host that is reached after all answers "port unreachable".
constexpr std::uint16_t kProbePort = 33434;
constexpr std::uint8_t kTimeExceeded4 = ICMP_TIME_EXCEEDED;
constexpr std::uint8_t kTimeExceeded6 = 3;  // ICMPV6_TIME_EXCEED
constexpr int kMaxErrors = 16;

struct Target {
    sockaddr_storage address{};
    socklen_t length = 0;
};

Target MakeTarget(const IpAddress& beyond) {
    Target t;
    if (beyond.IsV4()) {
        auto* in = reinterpret_cast<sockaddr_in*>(&t.address);
        in->sin_family = AF_INET;
        in->sin_port = htons(kProbePort);
        std::memcpy(&in->sin_addr, beyond.bytes.data(), 4);
        t.length = sizeof(sockaddr_in);
    } else {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&t.address);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(kProbePort);
        std::memcpy(&in6->sin6_addr, beyond.bytes.data(), 16);
        t.length = sizeof(sockaddr_in6);
    }
    return t;
}

bool Configure(int fd, bool v6) {
    int one = 1;
    int hops = 1;
    if (v6) {
        return ::setsockopt(fd, IPPROTO_IPV6, IPV6_UNICAST_HOPS, &hops, sizeof hops) == 0 &&
               ::setsockopt(fd, IPPROTO_IPV6, IPV6_RECVERR, &one, sizeof one) == 0;
    }
    return ::setsockopt(fd, IPPROTO_IP, IP_TTL, &hops, sizeof hops) == 0 &&
           ::setsockopt(fd, IPPROTO_IP, IP_RECVERR, &one, sizeof one) == 0;
}

// The offender of one error-queue message, when it is a time-exceeded answer from ICMP.
bool ReadOffender(int fd, bool v6, IpAddress& from) {
    char data[64];
    alignas(cmsghdr) char control[512];
    sockaddr_storage peer{};
    iovec part{data, sizeof data};
    msghdr message{};
    message.msg_name = &peer;
    message.msg_namelen = sizeof peer;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    if (::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT) < 0) {
        return false;
    }
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        bool ours = v6 ? (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_RECVERR)
                       : (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_RECVERR);
        if (!ours || c->cmsg_len < CMSG_LEN(sizeof(sock_extended_err))) {
            continue;
        }
        sock_extended_err error{};
        std::memcpy(&error, CMSG_DATA(c), sizeof error);
        std::uint8_t origin = v6 ? SO_EE_ORIGIN_ICMP6 : SO_EE_ORIGIN_ICMP;
        std::uint8_t type = v6 ? kTimeExceeded6 : kTimeExceeded4;
        if (error.ee_origin != origin || error.ee_type != type) {
            continue;
        }
        // The offender's address follows the error in the same control message.
        std::size_t offenderAt = sizeof(sock_extended_err);
        std::size_t available = c->cmsg_len - CMSG_LEN(0);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(CMSG_DATA(c));
        if (v6 && available >= offenderAt + sizeof(sockaddr_in6)) {
            sockaddr_in6 offender{};
            std::memcpy(&offender, bytes + offenderAt, sizeof offender);
            if (offender.sin6_family == AF_INET6) {
                from =
                    IpAddress::FromV6(reinterpret_cast<const std::uint8_t*>(&offender.sin6_addr));
                return true;
            }
        } else if (!v6 && available >= offenderAt + sizeof(sockaddr_in)) {
            sockaddr_in offender{};
            std::memcpy(&offender, bytes + offenderAt, sizeof offender);
            if (offender.sin_family == AF_INET) {
                from = IpAddress::FromV4(ntohl(offender.sin_addr.s_addr));
                return true;
            }
        }
    }
    return false;
}

}  // namespace

FirstHopAnswer UdpFirstHopProber::Probe(const IpAddress& beyond, std::chrono::milliseconds wait) {
    FirstHopAnswer answer;
    if (!beyond.IsV4() && !beyond.IsV6()) {
        return answer;
    }
    bool v6 = beyond.IsV6();
    UniqueFd fd(::socket(v6 ? AF_INET6 : AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd || !Configure(fd.Get(), v6)) {
        return answer;
    }
    Target target = MakeTarget(beyond);
    // Connected, so the kernel queues the errors that concern this one flow on the socket.
    if (::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&target.address), target.length) !=
        0) {
        return answer;
    }
    const char probe[] = "kestrove";
    if (::send(fd.Get(), probe, sizeof probe - 1, 0) < 0) {
        return answer;  // no route, or refused at once
    }
    answer.kind = FirstHopAnswer::Kind::Silent;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    // Other errors (a host past the first hop answering "port unreachable") are read and
    // passed over, a bounded number of them.
    for (int round = 0; round < kMaxErrors; ++round) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return answer;
        }
        pollfd p{fd.Get(), 0, 0};  // errors are reported whatever is asked
        int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return answer;
        }
        if ((p.revents & POLLERR) != 0 && ReadOffender(fd.Get(), v6, answer.from)) {
            answer.kind = FirstHopAnswer::Kind::Answered;
            return answer;
        }
        if ((p.revents & POLLERR) == 0) {
            return answer;
        }
    }
    return answer;
}

}  // namespace kestrove
