// One QApplication for a whole Qt test program on a real X server of the test's own: Xvfb,
// with the openbox window manager unless KESTROVE_TEST_WM is "none". Linking this file's
// library instead of kestrove_qttestapp is all such a test needs.

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "testsupport/XvfbSession.h"

// A real X session loads the desktop's D-Bus library, which keeps a buffer to the end on
// purpose; that is its own, not a leak of ours.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

namespace kestrove::test {
namespace {

class XvfbEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        const char* wm = std::getenv("KESTROVE_TEST_WM");
        session_ = std::make_unique<XvfbSession>(wm == nullptr || std::string(wm) != "none");
        if (session_->Display().empty()) {
            // A failed environment would only skip every test, and a skip passes in ctest: a
            // desktop that did not come up fails the program instead.
            std::fprintf(stderr, "no desktop for the tests: %s\n", session_->Error().c_str());
            std::fflush(stderr);
            // Nothing of the session may outlive the program: a server left behind holds the
            // output pipe, and ctest waits for it until the test's time-out.
            session_.reset();
            std::_Exit(1);
        }
        qputenv("DISPLAY", session_->Display().c_str());
        qputenv("QT_QPA_PLATFORM", "xcb");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override {
        app_.reset();
        session_.reset();
    }

private:
    int argc_ = 1;
    char name_[16] = "kestrove_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<XvfbSession> session_;
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kXvfbEnvironment =
    ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

}  // namespace
}  // namespace kestrove::test
