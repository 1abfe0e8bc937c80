// One QApplication for a whole Qt test program, made before the first test and gone before
// main returns (destroyed among the static objects, it would outlive parts of Qt). Linking
// this file's library is all a Qt test needs.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace kestrove::test {
namespace {

class QtEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        // A widget test must never reach for the user's display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "kestrove_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
}  // namespace kestrove::test
