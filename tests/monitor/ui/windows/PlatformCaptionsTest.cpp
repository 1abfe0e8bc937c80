#include "monitor/ui/PlatformCaptions.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrove {
namespace {

// A Windows user knows the moment as the start of Windows.
TEST(PlatformCaptions, StartAtLogonItemIsNamedForThisSystem) {
    EXPECT_EQ(std::string(StartAtLogonCaption()), "Windows起動時に起動(&W)");
}

}  // namespace
}  // namespace kestrove
