#include "testsupport/LoopbackSocket.h"

#include <stdexcept>
#include <utility>

#include "common/TakeLine.h"

namespace kestrove::test {

using Clock = std::chrono::steady_clock;

namespace {

std::chrono::milliseconds Left(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? left : std::chrono::milliseconds(0);
}

}  // namespace

LoopbackSocket::LoopbackSocket(int backlog) {
    handle_ = socketcalls::OpenLoopback(backlog, port_);
    if (handle_ == socketcalls::kNone) {
        throw std::runtime_error("cannot bind a socket on 127.0.0.1");
    }
}

LoopbackSocket::~LoopbackSocket() {
    if (handle_ != socketcalls::kNone) {
        socketcalls::Close(handle_);
    }
}

LoopbackSocket::LoopbackSocket(LoopbackSocket&& other) noexcept
    : handle_(std::exchange(other.handle_, socketcalls::kNone)),
      port_(other.port_),
      buffer_(std::move(other.buffer_)) {}

LoopbackSocket& LoopbackSocket::operator=(LoopbackSocket&& other) noexcept {
    if (this != &other) {
        if (handle_ != socketcalls::kNone) {
            socketcalls::Close(handle_);
        }
        handle_ = std::exchange(other.handle_, socketcalls::kNone);
        port_ = other.port_;
        buffer_ = std::move(other.buffer_);
    }
    return *this;
}

std::optional<LoopbackSocket> LoopbackSocket::Accept(std::chrono::milliseconds timeout) {
    if (!socketcalls::WaitReadable(handle_, timeout)) {
        return std::nullopt;
    }
    socketcalls::Handle accepted = socketcalls::Accept(handle_);
    if (accepted == socketcalls::kNone) {
        return std::nullopt;
    }
    return LoopbackSocket(accepted);
}

bool LoopbackSocket::ReceiveMore(Clock::time_point deadline) {
    if (!socketcalls::WaitReadable(handle_, Left(deadline))) {
        return false;
    }
    char chunk[512];
    long n = socketcalls::Receive(handle_, chunk, sizeof chunk);
    if (n <= 0) {
        return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
}

std::optional<std::string> LoopbackSocket::ReadLine(std::chrono::milliseconds timeout) {
    auto deadline = Clock::now() + timeout;
    for (;;) {
        if (std::optional<std::string> line = TakeLine(buffer_)) {
            return line;
        }
        if (!ReceiveMore(deadline)) {
            return std::nullopt;
        }
    }
}

bool LoopbackSocket::FinishAndWaitForClose(std::chrono::milliseconds timeout) {
    auto deadline = Clock::now() + timeout;
    socketcalls::ShutdownSending(handle_);
    for (;;) {
        if (!socketcalls::WaitReadable(handle_, Left(deadline))) {
            return false;
        }
        char chunk[512];
        if (socketcalls::Receive(handle_, chunk, sizeof chunk) <= 0) {
            return true;  // closed, or reset as the other process ended
        }
    }
}

}  // namespace kestrove::test
