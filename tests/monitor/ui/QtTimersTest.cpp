#include "monitor/ui/QtTimers.h"

#include <gtest/gtest.h>

#include <QTest>
#include <chrono>
#include <stdexcept>

namespace kestrove {
namespace {

TEST(QtTimer, AFailingHandlerStopsItsTimerAndEndsThroughTheFatalPath) {
    int fatal = 0;
    QtTimer timer(std::chrono::milliseconds(1), [&] { ++fatal; });
    timer.SetHandler([] { throw std::runtime_error("table overflow"); });
    timer.Start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return fatal > 0; }, 2000));
    EXPECT_FALSE(timer.IsActive());
    QTest::qWait(20);
    EXPECT_EQ(fatal, 1);
}

}  // namespace
}  // namespace kestrove
