#pragma once

#include <curl/curl.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace kestrove {

// Ends mail exchanges under way from another thread. The flag alone is not enough: after the
// message curl waits for the server's last reply without calling back (up to two minutes in
// curl 7.88), so a server silent after DATA would hold the program's end that long. Shutting
// the exchange's sockets down wakes it at once; they are closed by their own thread as usual.
class SocketCutter {
public:
    // Any thread. Every exchange under way and every later one ends.
    void Cut();
    const std::atomic<bool>& Flag() const { return cut_; }

    // For curl's socket hooks (CURLOPT_SOCKOPTFUNCTION, CURLOPT_CLOSESOCKETFUNCTION).
    static int OnOpened(void* cutter, curl_socket_t socket, curlsocktype purpose);
    static int OnClose(void* cutter, curl_socket_t socket);

private:
    void Opened(curl_socket_t socket);
    void Closing(curl_socket_t socket);

    std::atomic<bool> cut_{false};
    std::mutex mutex_;
    std::vector<curl_socket_t> open_;
};

// The platform's socket calls.
void ShutdownSocket(curl_socket_t socket);
void CloseSocket(curl_socket_t socket);

}  // namespace kestrove
