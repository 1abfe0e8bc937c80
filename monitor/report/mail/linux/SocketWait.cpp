#include "monitor/report/mail/SocketWait.h"

#include <poll.h>

namespace kestrove {

bool WaitForSocket(curl_socket_t socket, SocketEvent event, std::chrono::milliseconds timeout) {
    pollfd fd{socket, static_cast<short>(event == SocketEvent::Readable ? POLLIN : POLLOUT), 0};
    return ::poll(&fd, 1, static_cast<int>(timeout.count())) != 0;
}

}  // namespace kestrove
