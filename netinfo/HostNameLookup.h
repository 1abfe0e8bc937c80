#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "netinfo/Ipv4.h"

namespace kestrove {

class HostNameResolver {
public:
    virtual ~HostNameResolver() = default;
    // The name a reverse lookup gives for the address, or nothing (no name, any failure, no
    // answer in time). It must return within a bounded time: the user-interface thread waits.
    virtual std::optional<std::string> ReverseLookup(Ipv4 address) = 0;
    // The same, giving up after `limit` at most. A resolver that cannot cut its wait short
    // answers as ReverseLookup does.
    virtual std::optional<std::string> ReverseLookupWithin(Ipv4 address,
                                                           std::chrono::milliseconds limit) {
        (void)limit;
        return ReverseLookup(address);
    }
};

// Reverse lookups for the change alarm. A network without reverse name service would stall
// the monitor on every alarm, so the first empty answer (a resolver that gives up after its
// time limit included) turns lookups off for the whole run.
class HostNameLookup {
public:
    explicit HostNameLookup(HostNameResolver& resolver) : resolver_(resolver) {}

    // `addressText` may be padded (192.168.␣␣1.␣␣5) or plain. Returns the name, or "".
    std::string GetHostNameByIP(std::string_view addressText);
    // The same, waiting at most `limit` for the answer: no answer in time is no name.
    std::string GetHostNameByIP(std::string_view addressText, std::chrono::milliseconds limit);

    bool NoHostLookup() const { return noHostLookup_; }

private:
    std::string Ask(std::string_view addressText, std::optional<std::chrono::milliseconds> limit);

    HostNameResolver& resolver_;
    bool noHostLookup_ = false;
};

// Host names come from the network, the hosts file or any other name source: only the
// characters a host name may hold (ASCII letters, digits, ".", "-", "_") are kept, up to the
// first NUL and cut at 253 characters. Anything else could end a log line, forge the
// "(address:name) old -> new" shape of a change alarm or break a report's markup.
std::string SanitizeHostName(std::string_view name);

}  // namespace kestrove
