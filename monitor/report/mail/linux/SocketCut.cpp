#include <sys/socket.h>
#include <unistd.h>

#include "monitor/report/mail/SocketCutter.h"

namespace kestrove {

void ShutdownSocket(curl_socket_t socket) {
    ::shutdown(socket, SHUT_RDWR);
}

void CloseSocket(curl_socket_t socket) {
    ::close(socket);
}

}  // namespace kestrove
