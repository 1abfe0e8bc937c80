#include "testsupport/XvfbSession.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <chrono>

#include "testsupport/RunCommand.h"

namespace kestrove::test {

using namespace std::chrono_literals;

namespace {

// On two cores busy with a build and a parallel test run, Xvfb and openbox once took over 20 s
// to come up; a session that is merely slow must neither fail nor skip the tests.
constexpr auto kStartTimeout = 120s;

}  // namespace

XvfbSession::XvfbSession(bool windowManager, const std::string& screen) {
    // On a loaded machine openbox has once failed to open a display Xvfb had just announced; a
    // fresh pair then came up at once.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (StartServer(screen) && (!windowManager || StartWindowManager())) {
            return;
        }
        windowManager_.reset();
        Stop(server_);
        display_.clear();
    }
}

XvfbSession::~XvfbSession() {
    // The window manager first, so it does not complain about a vanished server.
    windowManager_.reset();
    Stop(server_);
}

void XvfbSession::Stop(std::unique_ptr<ChildProcess>& server) {
    // Asked first, so the server removes its lock file and socket; a killed one leaves both to
    // the next server that picks the same display number.
    if (server != nullptr) {
        server->Signal(SIGTERM);
        server->Wait(5s);
    }
    server.reset();
}

bool XvfbSession::StartServer(const std::string& screen) {
    int fds[2];
    if (::pipe(fds) != 0) {
        error_ = "pipe failed";
        return false;
    }
    // The server writes its display number to the pipe once it accepts clients.
    server_ = std::make_unique<ChildProcess>(std::vector<std::string>{
        "Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp"});
    ::close(fds[1]);
    std::string number;
    pollfd pfd{fds[0], POLLIN, 0};
    auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (server_->Started() && std::chrono::steady_clock::now() < deadline) {
        if (::poll(&pfd, 1, 100) <= 0) {
            continue;
        }
        char c = 0;
        if (::read(fds[0], &c, 1) != 1 || c == '\n') {
            break;
        }
        number += c;
    }
    ::close(fds[0]);
    if (number.empty() || !std::isdigit(static_cast<unsigned char>(number[0]))) {
        error_ = "Xvfb did not start (is the xvfb package installed?)";
        return false;
    }
    display_ = ":" + number;
    return true;
}

bool XvfbSession::StartWindowManager() {
    windowManager_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"openbox"}, std::vector<std::string>{"DISPLAY=" + display_});
    // The manager is ready once it has announced itself on the root window.
    bool ended = false;
    bool up =
        windowManager_->Started() &&
        WaitFor(
            [this, &ended] {
                ended = windowManager_->Wait(std::chrono::milliseconds(0)).has_value();
                if (ended) {
                    return true;
                }
                std::string out;
                RunCommand({"xprop", "-display", display_, "-root", "_NET_SUPPORTING_WM_CHECK"},
                           &out);
                return out.find("window id") != std::string::npos;
            },
            kStartTimeout) &&
        !ended;
    if (!up) {
        error_ = "openbox did not start (is the openbox package installed?)";
    }
    return up;
}

}  // namespace kestrove::test
