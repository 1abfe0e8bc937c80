#include "netinfo/BoundedLookup.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace kestrove {
namespace {

// Shared by the caller and the worker, so whichever finishes last frees it: a worker that
// outlives the caller's wait (or the resolver itself) only ever touches this.
struct PendingLookup {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    std::optional<std::string> name;
};

}  // namespace

std::optional<std::string> LookUpWithin(std::chrono::milliseconds timeout,
                                        std::function<std::optional<std::string>()> lookUp) {
    auto pending = std::make_shared<PendingLookup>();
    try {
        std::thread([pending, lookUp = std::move(lookUp)] {
            std::optional<std::string> name = lookUp();
            std::lock_guard lock(pending->mutex);
            pending->name = std::move(name);
            pending->done = true;
            pending->answered.notify_one();
        }).detach();
    } catch (const std::system_error&) {
        return std::nullopt;  // no thread to spare: no name rather than an unbounded wait
    }
    std::unique_lock lock(pending->mutex);
    if (!pending->answered.wait_for(lock, timeout, [&] { return pending->done; })) {
        return std::nullopt;
    }
    return std::move(pending->name);
}

}  // namespace kestrove
