#include "sweeper/linux/TcpConnectProber.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>

#include "netinfo/linux/UniqueFd.h"

namespace kestrove {

bool TcpConnectProber::Probe(Ipv4 address) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd) {
        return false;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(80);
    target.sin_addr.s_addr = htonl(address);
    // EINPROGRESS is the normal answer; anything else (a broadcast address, no route) means
    // nothing went out.
    int result = ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&target), sizeof target);
    return result == 0 || errno == EINPROGRESS;
}

}  // namespace kestrove
