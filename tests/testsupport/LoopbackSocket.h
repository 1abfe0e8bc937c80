#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "testsupport/SocketCalls.h"

namespace kestrove::test {

// A TCP socket on 127.0.0.1: the line a test and the peers it started talk over, a port that
// takes connections but never answers, or one where nobody listens. Every wait is bounded.
class LoopbackSocket {
public:
    // Bound to a port the system picks, listening with `backlog` unless it is 0. Throws when
    // loopback cannot be bound.
    explicit LoopbackSocket(int backlog);
    ~LoopbackSocket();
    LoopbackSocket(LoopbackSocket&& other) noexcept;
    LoopbackSocket& operator=(LoopbackSocket&& other) noexcept;
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    int Port() const { return port_; }
    // The next connection to this listening socket, or none within `timeout`.
    std::optional<LoopbackSocket> Accept(std::chrono::milliseconds timeout);
    // One line without its line end; none when the other side closes or `timeout` passes first.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // Says that nothing more comes from here and waits until the other side closes too
    // (anything it still sends is dropped); false when it has not within `timeout`.
    bool FinishAndWaitForClose(std::chrono::milliseconds timeout);

private:
    explicit LoopbackSocket(socketcalls::Handle accepted) : handle_(accepted) {}
    // Appends what arrives within the time left to buffer_; false on close, error or timeout.
    bool ReceiveMore(std::chrono::steady_clock::time_point deadline);

    socketcalls::Handle handle_ = socketcalls::kNone;
    int port_ = 0;
    std::string buffer_;
};

}  // namespace kestrove::test
