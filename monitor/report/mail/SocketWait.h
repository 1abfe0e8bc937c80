#pragma once

#include <curl/curl.h>

#include <chrono>

namespace kestrove {

enum class SocketEvent { Readable, Writable };

// Waits until the socket is ready or the time is up; false on timeout. An error or hang-up
// counts as ready: it shows at the next send or receive.
bool WaitForSocket(curl_socket_t socket, SocketEvent event, std::chrono::milliseconds timeout);

}  // namespace kestrove
