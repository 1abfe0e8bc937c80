#include <winsock2.h>

#include "monitor/report/mail/SocketCutter.h"

namespace kestrove {

void ShutdownSocket(curl_socket_t socket) {
    ::shutdown(socket, SD_BOTH);
}

void CloseSocket(curl_socket_t socket) {
    ::closesocket(socket);
}

}  // namespace kestrove
