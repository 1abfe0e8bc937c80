#include "monitor/watch/linux/DevLogSyslog.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace kestrove {
namespace {

std::string Datagram(const SyslogMessage& m) {
    char stamp[32] = {};
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    // The month name in the C locale, whatever the user's locale says.
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::snprintf(stamp, sizeof stamp, "%s %2d %02d:%02d:%02d", kMonths[local.tm_mon % 12],
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return "<" + std::to_string(m.priority) + ">" + stamp + " " + DevLogSyslog::kIdent + "[" +
           std::to_string(::getpid()) + "]: " + m.text;
}

}  // namespace

DevLogSyslog::~DevLogSyslog() {
    Close();
}

void DevLogSyslog::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool DevLogSyslog::Connect() {
    Close();
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string& path = path_.native();
    if (path.size() >= sizeof addr.sun_path) {
        return false;
    }
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd_ < 0) {
        return false;
    }
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        Close();
        return false;
    }
    return true;
}

void DevLogSyslog::Send(std::string_view alarmLogLine) {
    std::string datagram = Datagram(MakeSyslogMessage(alarmLogLine));
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (fd_ < 0 && !Connect()) {
            return;
        }
        ssize_t n;
        do {
            n = ::send(fd_, datagram.data(), datagram.size(), MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        if (n >= 0 || errno == EAGAIN) {
            return;  // a daemon too busy to take the line now loses it rather than the watch stalls
        }
        Close();
    }
}

std::unique_ptr<SystemLog> CreateSystemLog() {
    return std::make_unique<DevLogSyslog>();
}

}  // namespace kestrove
