#pragma once

#include <gtest/gtest.h>

#include "monitor/watch/AlarmLog.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {

// An alarm log in a fresh data folder; the platform's own cases share it with the portable ones.
class AlarmLogTest : public ::testing::Test {
protected:
    TempFolder dir;
    AlarmLog log{dir.Path()};
};

}  // namespace kestrove::test
