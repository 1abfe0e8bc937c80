// One QApplication for the whole test program, made before the first test and gone before
// main returns (destroyed among the static objects, it would outlive parts of Qt).

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace kestrove::test {
namespace {

class QtEnvironment final : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "viewer_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

// GoogleTest takes ownership of the environment.
[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
}  // namespace kestrove::test
