#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "netinfo/linux/UniqueFd.h"

namespace kestrove::test {

// A datagram socket standing in for the syslog daemon's.
class FakeSyslogDaemon {
public:
    explicit FakeSyslogDaemon(const std::filesystem::path& path) {
        fd_ = UniqueFd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
        EXPECT_EQ(::bind(fd_.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        timeval timeout{2, 0};
        ::setsockopt(fd_.Get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    }
    std::string Receive() {
        char buf[4096];
        ssize_t n = ::recv(fd_.Get(), buf, sizeof buf, 0);
        return n < 0 ? std::string() : std::string(buf, static_cast<std::size_t>(n));
    }

private:
    UniqueFd fd_;
};

}  // namespace kestrove::test
