#include "monitor/ui/PlatformCaptions.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrove {
namespace {

// A desktop session has no Windows start: the entry runs at login.
TEST(PlatformCaptions, StartAtLogonItemIsNamedForThisSystem) {
    EXPECT_EQ(std::string(StartAtLogonCaption()), "ログイン時に起動(&W)");
}

}  // namespace
}  // namespace kestrove
