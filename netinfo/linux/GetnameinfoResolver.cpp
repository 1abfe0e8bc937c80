#include "netinfo/linux/GetnameinfoResolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace kestrove {
namespace {

std::optional<std::string> LookUp(Ipv4 address) {
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_addr.s_addr = htonl(address);
    std::array<char, NI_MAXHOST> name{};
    // NI_NAMEREQD: an address without a name is a failure, not its own dotted text.
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&in), sizeof in, name.data(), name.size(),
                      nullptr, 0, NI_NAMEREQD) != 0 ||
        name[0] == '\0') {
        return std::nullopt;
    }
    return std::string(name.data());
}

// Shared by the caller and the worker, so whichever finishes last frees it: a worker that
// outlives the caller's wait (or the resolver itself) only ever touches this.
struct PendingLookup {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    std::optional<std::string> name;
};

}  // namespace

std::optional<std::string> GetnameinfoResolver::ReverseLookup(Ipv4 address) {
    auto pending = std::make_shared<PendingLookup>();
    try {
        std::thread([pending, address] {
            std::optional<std::string> name = LookUp(address);
            std::lock_guard lock(pending->mutex);
            pending->name = std::move(name);
            pending->done = true;
            pending->answered.notify_one();
        }).detach();
    } catch (const std::system_error&) {
        return std::nullopt;  // no thread to spare: no name rather than an unbounded wait
    }
    std::unique_lock lock(pending->mutex);
    if (!pending->answered.wait_for(lock, timeout_, [&] { return pending->done; })) {
        return std::nullopt;
    }
    return std::move(pending->name);
}

}  // namespace kestrove
