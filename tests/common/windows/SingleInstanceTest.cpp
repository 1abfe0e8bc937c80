#include "common/SingleInstance.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

namespace kestrove {
namespace {

std::string UniqueName() {
    return "test-" + std::to_string(::GetCurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

TEST(SingleInstanceWindows, SecondCopyIsRefusedUntilTheFirstEnds) {
    std::string name = UniqueName();
    auto first = std::make_unique<SingleInstance>(name);
    ASSERT_TRUE(first->Acquire());
    EXPECT_TRUE(first->Acquire());  // holding it already
    SingleInstance second(name);
    EXPECT_FALSE(second.Acquire());
    // Another program's name is a lock of its own.
    SingleInstance other(name + "-other");
    EXPECT_TRUE(other.Acquire());
    first.reset();
    SingleInstance third(name);
    EXPECT_TRUE(third.Acquire());
}

TEST(SingleInstanceWindows, NamesWithJapaneseAndBackslashesAreTakenWhole) {
    std::string name = UniqueName() + "監視";
    SingleInstance a(name);
    ASSERT_TRUE(a.Acquire());
    SingleInstance b(name);
    EXPECT_FALSE(b.Acquire());
    // A backslash is not a namespace separator in a mutex name.
    SingleInstance c(UniqueName() + "\\x");
    EXPECT_TRUE(c.Acquire());
}

}  // namespace
}  // namespace kestrove
