#include "netinfo/linux/NetlinkArpTableSource.h"

#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cerrno>
#include <chrono>

#include "netinfo/linux/NeighbourMessages.h"

namespace kestrove {
namespace {

// The kernel hands out dump messages in chunks of at most 32 KiB; twice that leaves room.
constexpr std::size_t kBufferSize = 64 * 1024;
// A dump of 65,536 entries takes about 10 ms; these only guard against a kernel that
// stops answering, so the scan never hangs.
constexpr std::chrono::milliseconds kReceiveTimeout{1000};
constexpr std::chrono::milliseconds kDumpLimit{3000};
// An abandoned dump goes on for as long as it is read; this many chunks cover millions of
// entries.
constexpr int kMaxDrainChunks = 4096;
// The kernel numbers every namespace's loopback device 1.
constexpr int kDefaultLoopbackIndex = 1;

UniqueFd OpenRouteSocket() {
    UniqueFd fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
    if (!fd) {
        return fd;
    }
    timeval timeout{};
    timeout.tv_sec = kReceiveTimeout.count() / 1000;
    timeout.tv_usec = (kReceiveTimeout.count() % 1000) * 1000;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    if (::setsockopt(fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout) != 0 ||
        ::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        fd.Reset();
    }
    return fd;
}

// The network namespace the calling thread is in, as the kernel numbers it (0 when unknown).
ino_t CurrentNetNamespace() {
    struct stat st {};
    return ::stat("/proc/thread-self/ns/net", &st) == 0 ? st.st_ino : 0;
}

}  // namespace

NetlinkArpTableSource::NetlinkArpTableSource()
    : namespace_(CurrentNetNamespace()), socket_(OpenRouteSocket()), buffer_(kBufferSize) {
    unsigned index = ::if_nametoindex("lo");
    loopbackIndex_ = index != 0 ? static_cast<int>(index) : kDefaultLoopbackIndex;
}

bool NetlinkArpTableSource::Read(std::vector<ArpEntry>& entries) {
    entries.clear();
    // Opening fails while the process is out of descriptors or the kernel out of memory; the
    // watch must come back by itself once that passes, and still read its own namespace.
    if (!socket_ && CurrentNetNamespace() == namespace_) {
        socket_ = OpenRouteSocket();
        dumpAbandoned_ = false;
    }
    if (!socket_) {
        return false;
    }
    // Lost messages (ENOBUFS) spoil one dump, not the table: one more try is worth it.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (dumpAbandoned_) {
            DrainAbandonedDump();
        }
        if (!SendRequest()) {
            return false;
        }
        DumpResult result = ReceiveDump(entries);
        dumpAbandoned_ = result != DumpResult::Done;
        if (result == DumpResult::Done) {
            return true;
        }
        entries.clear();
        if (result == DumpResult::Failed) {
            return false;
        }
    }
    return false;
}

bool NetlinkArpTableSource::SendRequest() {
    struct {
        nlmsghdr header;
        ndmsg body;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETNEIGH;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = ++sequence_;
    request.body.ndm_family = AF_INET;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    for (;;) {
        ssize_t sent = ::sendto(socket_.Get(), &request, sizeof request, 0,
                                reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel);
        if (sent >= 0) {
            return static_cast<std::size_t>(sent) == sizeof request;
        }
        if (errno != EINTR) {
            return false;
        }
    }
}

NetlinkArpTableSource::DumpResult NetlinkArpTableSource::ReceiveDump(
    std::vector<ArpEntry>& entries) {
    const auto deadline = std::chrono::steady_clock::now() + kDumpLimit;
    const NeighbourDumpFilter filter{sequence_, loopbackIndex_};
    for (;;) {
        sockaddr_nl from{};
        iovec part{buffer_.data(), buffer_.size()};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        ssize_t received = ::recvmsg(socket_.Get(), &message, 0);
        bool late = std::chrono::steady_clock::now() >= deadline;
        if (received < 0) {
            if (errno == ENOBUFS) {
                return DumpResult::Overrun;
            }
            if (errno == EINTR && !late) {
                continue;
            }
            return DumpResult::Failed;  // EAGAIN: the receive timed out
        }
        if (received == 0 || (message.msg_flags & MSG_TRUNC) != 0 || late) {
            return DumpResult::Failed;
        }
        // Only the kernel (port 0) answers a dump; anything else on the socket is not ours.
        if (from.nl_pid != 0) {
            continue;
        }
        std::span<const std::uint8_t> bytes(buffer_.data(), static_cast<std::size_t>(received));
        switch (ParseNeighbourDump(bytes, filter, entries)) {
            case NeighbourDumpStatus::Done:
                return DumpResult::Done;
            case NeighbourDumpStatus::Error:
                return DumpResult::Failed;
            case NeighbourDumpStatus::More:
                break;
        }
    }
}

void NetlinkArpTableSource::DrainAbandonedDump() {
    // The kernel refuses a new dump while the last one is unfinished; reading its rest runs it
    // to the end (the sequence number keeps it out of the next table).
    for (int i = 0; i < kMaxDrainChunks; ++i) {
        if (::recv(socket_.Get(), buffer_.data(), buffer_.size(), MSG_DONTWAIT) < 0 &&
            errno != EINTR) {
            return;
        }
    }
}

}  // namespace kestrove
