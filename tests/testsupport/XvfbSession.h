#pragma once

#include <memory>
#include <string>

#include "testsupport/ChildProcess.h"

namespace kestrove::test {

// A desktop of the test's own: Xvfb on a display it picks itself (-displayfd), so no other
// display is ever touched, optionally with the openbox window manager. Both end with the object.
class XvfbSession {
public:
    explicit XvfbSession(bool windowManager, const std::string& screen = "1280x900x24");
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // Empty when the server or the window manager did not come up; `Error()` says why.
    const std::string& Display() const { return display_; }
    const std::string& Error() const { return error_; }

private:
    bool StartServer(const std::string& screen);
    bool StartWindowManager();
    static void Stop(std::unique_ptr<ChildProcess>& server);

    std::unique_ptr<ChildProcess> server_;
    std::unique_ptr<ChildProcess> windowManager_;
    std::string display_;
    std::string error_;
};

}  // namespace kestrove::test
