#include "netinfo/linux/NetlinkSocket.h"

#include <linux/netlink.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <cerrno>
#include <cstring>

namespace kestrove {

NetlinkSocket NetlinkSocket::Open(const Options& options) {
    int type = SOCK_RAW | SOCK_CLOEXEC | (options.nonBlocking ? SOCK_NONBLOCK : 0);
    UniqueFd fd(::socket(AF_NETLINK, type, NETLINK_ROUTE));
    if (!fd) {
        return {};
    }
    if (options.receiveBuffer > 0) {
        // Beyond the system's limit only a privileged process may go; otherwise take what is
        // allowed.
        if (::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVBUFFORCE, &options.receiveBuffer,
                         sizeof options.receiveBuffer) != 0) {
            ::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVBUF, &options.receiveBuffer,
                         sizeof options.receiveBuffer);
        }
    }
    if (options.receiveTimeout.count() > 0) {
        timeval timeout{};
        timeout.tv_sec = options.receiveTimeout.count() / 1000;
        timeout.tv_usec = (options.receiveTimeout.count() % 1000) * 1000;
        if (::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0) {
            return {};
        }
    }
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = options.groups;
    if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        return {};
    }
    return NetlinkSocket(std::move(fd));
}

bool NetlinkSocket::RequestDump(std::uint16_t type, std::span<const std::byte> body,
                                std::uint32_t sequence) {
    std::uint8_t request[NLMSG_HDRLEN + 64]{};
    if (body.size() > sizeof request - NLMSG_HDRLEN) {
        return false;
    }
    nlmsghdr header{};
    header.nlmsg_len = static_cast<std::uint32_t>(NLMSG_HDRLEN + body.size());
    header.nlmsg_type = type;
    header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    header.nlmsg_seq = sequence;
    std::memcpy(request, &header, sizeof header);
    if (!body.empty()) {
        std::memcpy(request + NLMSG_HDRLEN, body.data(), body.size());
    }
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    for (;;) {
        ssize_t sent = ::sendto(fd_.Get(), request, header.nlmsg_len, 0,
                                reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel);
        if (sent >= 0) {
            return static_cast<std::size_t>(sent) == header.nlmsg_len;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

NetlinkSocket::Received NetlinkSocket::Receive(std::vector<std::uint8_t>& buffer, bool dontWait) {
    for (;;) {
        sockaddr_nl from{};
        iovec part{buffer.data(), buffer.size()};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        ssize_t received = ::recvmsg(fd_.Get(), &message, dontWait ? MSG_DONTWAIT : 0);
        if (received < 0) {
            switch (errno) {
                case EINTR:
                    continue;
                case EAGAIN:
                    return {Status::Again, {}};
                case ENOBUFS:
                    // The queue overflowed; the socket goes on with what comes next.
                    return {Status::Overrun, {}};
                default:
                    return {Status::Failed, {}};
            }
        }
        // Only the kernel (port 0) speaks for the tables; anything else is not ours to believe.
        if (from.nl_pid != 0) {
            continue;
        }
        if ((message.msg_flags & MSG_TRUNC) != 0) {
            return {Status::Overrun, {}};
        }
        return {Status::Message,
                std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(received))};
    }
}

void NetlinkSocket::Drain(std::vector<std::uint8_t>& buffer, int maxDatagrams) {
    for (int i = 0; i < maxDatagrams; ++i) {
        if (::recv(fd_.Get(), buffer.data(), buffer.size(), MSG_DONTWAIT) < 0 && errno != EINTR) {
            return;
        }
    }
}

}  // namespace kestrove
