#include "monitor/report/mail/SocketCutter.h"

#include <algorithm>

namespace kestrove {

void SocketCutter::Cut() {
    std::lock_guard lock(mutex_);
    cut_ = true;
    for (curl_socket_t socket : open_) {
        ShutdownSocket(socket);
    }
}

void SocketCutter::Opened(curl_socket_t socket) {
    std::lock_guard lock(mutex_);
    open_.push_back(socket);
    if (cut_) {
        ShutdownSocket(socket);
    }
}

void SocketCutter::Closing(curl_socket_t socket) {
    // Forgotten before it is closed: its number may be handed out again at once.
    std::lock_guard lock(mutex_);
    open_.erase(std::remove(open_.begin(), open_.end(), socket), open_.end());
}

int SocketCutter::OnOpened(void* cutter, curl_socket_t socket, curlsocktype) {
    static_cast<SocketCutter*>(cutter)->Opened(socket);
    return CURL_SOCKOPT_OK;
}

int SocketCutter::OnClose(void* cutter, curl_socket_t socket) {
    static_cast<SocketCutter*>(cutter)->Closing(socket);
    CloseSocket(socket);
    return 0;
}

}  // namespace kestrove
