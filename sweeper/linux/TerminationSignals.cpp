#include "sweeper/linux/TerminationSignals.h"

#include <signal.h>
#include <sys/signalfd.h>

namespace kestrove {
namespace {

sigset_t EndSignals() {
    sigset_t set;
    ::sigemptyset(&set);
    ::sigaddset(&set, SIGTERM);
    ::sigaddset(&set, SIGINT);
    ::sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

TerminationSignals::TerminationSignals() {
    sigset_t set = EndSignals();
    if (::sigprocmask(SIG_BLOCK, &set, nullptr) == 0) {
        fd_.Reset(::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC));
    }
}

bool TerminationSignals::Drain() {
    bool any = false;
    signalfd_siginfo info{};
    while (::read(fd_.Get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        any = true;
    }
    return any;
}

}  // namespace kestrove
