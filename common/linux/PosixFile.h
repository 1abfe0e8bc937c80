#pragma once

#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

namespace kestrove::posix {

// Writes everything, going on after interrupted or partial writes.
inline bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A name beside `path` no one can guess: `path` + "." + random letters.
std::string FreshName(std::string_view path);

}  // namespace kestrove::posix
