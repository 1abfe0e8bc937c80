#include "monitor/ui/QtTimers.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <stdexcept>

#include "testsupport/FakeClock.h"

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

TEST(QtYielder, PostedEventsRunOnlyOnceASliceHasPassedAndNothingSleeps) {
    test::FakeClock clock;
    QtYielder yielder(clock);
    int ran = 0;
    QObject context;
    QMetaObject::invokeMethod(
        &context, [&] { ++ran; }, Qt::QueuedConnection);
    for (int i = 0; i < 10000; ++i) {
        yielder.GiveWay();
    }
    EXPECT_EQ(ran, 0) << "no slice of work has passed on the clock";
    clock.Advance(std::chrono::milliseconds(5));
    yielder.GiveWay();
    EXPECT_EQ(ran, 1);
}

TEST(QtYielder, PauseRunsEventsAsTheyComeAndLastsItsTime) {
    test::FakeClock clock;
    QtYielder yielder(clock);
    int ran = 0;
    QTimer::singleShot(10, [&] { ++ran; });
    QElapsedTimer elapsed;
    elapsed.start();
    yielder.Pause(std::chrono::milliseconds(60));
    EXPECT_EQ(ran, 1);
    EXPECT_GE(elapsed.elapsed(), 50) << "the pause lasted its time";
}

}  // namespace
}  // namespace kestrove
