#include "netinfo/linux/NetlinkArpTableSource.h"

#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/stat.h>

#include <chrono>
#include <span>

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

NetlinkSocket OpenRouteSocket() {
    return NetlinkSocket::Open({.receiveTimeout = kReceiveTimeout});
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
    ndmsg body{};
    body.ndm_family = AF_INET;
    return socket_.RequestDump(RTM_GETNEIGH, std::as_bytes(std::span(&body, 1)), ++sequence_);
}

NetlinkArpTableSource::DumpResult NetlinkArpTableSource::ReceiveDump(
    std::vector<ArpEntry>& entries) {
    const auto deadline = std::chrono::steady_clock::now() + kDumpLimit;
    const NeighbourDumpFilter filter{sequence_, loopbackIndex_};
    for (;;) {
        NetlinkSocket::Received got = socket_.Receive(buffer_, false);
        bool late = std::chrono::steady_clock::now() >= deadline;
        if (got.status == NetlinkSocket::Status::Overrun) {
            return DumpResult::Overrun;
        }
        if (got.status != NetlinkSocket::Status::Message || late) {
            return DumpResult::Failed;  // Again: the receive timed out
        }
        switch (ParseNeighbourDump(got.bytes, filter, entries)) {
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
    socket_.Drain(buffer_, kMaxDrainChunks);
}

}  // namespace kestrove
