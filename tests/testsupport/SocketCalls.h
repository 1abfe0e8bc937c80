#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace kestrove::test::socketcalls {

// The few socket calls LoopbackSocket needs, over BSD sockets or Winsock.
using Handle = std::intptr_t;
inline constexpr Handle kNone = -1;

// A TCP socket bound to 127.0.0.1 on a port the system picks (returned in `port`), listening
// with `backlog` unless it is 0; kNone on failure.
Handle OpenLoopback(int backlog, int& port);
// True when data, a hang-up or an error is waiting within `timeout`.
bool WaitReadable(Handle socket, std::chrono::milliseconds timeout);
// The next queued connection (call after WaitReadable), or kNone.
Handle Accept(Handle listener);
// Bytes read; 0 when the other side closed; negative on an error.
long Receive(Handle socket, char* buffer, std::size_t size);
void ShutdownSending(Handle socket);
void Close(Handle socket);

}  // namespace kestrove::test::socketcalls
