#include "monitor/report/mail/SocketWait.h"

#include <winsock2.h>

namespace kestrove {

bool WaitForSocket(curl_socket_t socket, SocketEvent event, std::chrono::milliseconds timeout) {
    WSAPOLLFD fd{socket,
                 static_cast<short>(event == SocketEvent::Readable ? POLLRDNORM : POLLWRNORM), 0};
    return ::WSAPoll(&fd, 1, static_cast<int>(timeout.count())) != 0;
}

}  // namespace kestrove
