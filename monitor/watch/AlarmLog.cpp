#include "monitor/watch/AlarmLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "common/Cp932.h"

namespace kestrove {

bool AlarmLog::AppendAlarmLine(std::string_view text) const {
    if (mirror_) {
        mirror_(text);
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);

    std::string bytes = Utf8ToCp932(text);
    bytes += "\r\n";

    // A symlink planted in the log's place would have lines written wherever it points, and a
    // FIFO would hold the monitor in open(): only a regular file of its own name is written.
    int fd = ::open(path_.c_str(),
                    O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    std::size_t written = 0;
    while (ok && written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ok = false;
            break;
        }
        written += static_cast<std::size_t>(n);
    }
    if (!ok && written > 0) {
        // Half a line would glue itself to the next one and hide an alarm from the report.
        if (::ftruncate(fd, st.st_size) != 0) {
            ok = false;
        }
    }
    return ::close(fd) == 0 && ok;
}

void AlarmLog::Clear() const {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
}

}  // namespace kestrove
