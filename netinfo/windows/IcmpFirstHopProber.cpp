#include "netinfo/windows/IcmpFirstHopProber.h"

// Each block on its own, as the order matters: winsock2.h before the IP Helper headers.
#include <winsock2.h>

#include <iphlpapi.h>

#include <icmpapi.h>

#include <array>
#include <cstring>

namespace kestrove {
namespace {

// Closes an ICMP handle when it goes.
class IcmpHandle {
public:
    IcmpHandle() : handle_(::IcmpCreateFile()) {}
    ~IcmpHandle() {
        if (Valid()) {
            ::IcmpCloseHandle(handle_);
        }
    }
    IcmpHandle(const IcmpHandle&) = delete;
    IcmpHandle& operator=(const IcmpHandle&) = delete;
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

FirstHopAnswer IcmpFirstHopProber::Probe(const IpAddress& beyond, std::chrono::milliseconds wait) {
    FirstHopAnswer answer;
    if (!beyond.IsV4()) {
        return answer;
    }
    IcmpHandle icmp;
    if (!icmp.Valid()) {
        return answer;
    }
    IPAddr target = htonl(beyond.V4());
    char probe[] = "kestrove";
    IP_OPTION_INFORMATION options{};
    options.Ttl = 1;
    // Room for one reply with the echoed data and an ICMP error's quoted header.
    std::array<unsigned char, sizeof(ICMP_ECHO_REPLY) + sizeof probe + 64> reply{};
    DWORD replies = ::IcmpSendEcho2(
        icmp.Get(), nullptr, nullptr, nullptr, target, probe, sizeof probe - 1, &options,
        reply.data(), static_cast<DWORD>(reply.size()), static_cast<DWORD>(wait.count()));
    ICMP_ECHO_REPLY first{};
    std::memcpy(&first, reply.data(), sizeof first);
    if (replies == 0) {
        DWORD error = ::GetLastError();
        // IP_REQ_TIMED_OUT: sent, and nobody answered in time.
        answer.kind =
            error == IP_REQ_TIMED_OUT ? FirstHopAnswer::Kind::Silent : FirstHopAnswer::Kind::Failed;
        if (first.Status == IP_TTL_EXPIRED_TRANSIT) {
            answer.kind = FirstHopAnswer::Kind::Answered;
            answer.from = IpAddress::FromV4(ntohl(first.Address));
        }
        return answer;
    }
    if (first.Status == IP_TTL_EXPIRED_TRANSIT || first.Status == IP_SUCCESS) {
        answer.kind = FirstHopAnswer::Kind::Answered;
        answer.from = IpAddress::FromV4(ntohl(first.Address));
        return answer;
    }
    answer.kind = FirstHopAnswer::Kind::Silent;
    return answer;
}

}  // namespace kestrove
