#include "sweeper/linux/EventLoop.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>

#include "sweeper/linux/TerminationSignals.h"

namespace kestrove {
namespace {

using namespace std::chrono_literals;

TEST(EventLoopTest, TimersFireInDueOrderAndAStoppedTimerStaysQuiet) {
    EventLoop loop;
    std::string fired;
    auto late = loop.Create(20ms);
    auto early = loop.Create(1ms);
    auto never = loop.Create(5ms);
    early->SetHandler([&] {
        fired += 'e';
        early->Stop();
    });
    late->SetHandler([&] {
        fired += 'l';
        loop.Quit(3);
    });
    never->SetHandler([&] { fired += 'n'; });
    late->Start();
    early->Start();
    never->Start();
    never->Stop();
    EXPECT_EQ(loop.Run(), 3);
    EXPECT_EQ(fired, "el");
}

TEST(EventLoopTest, HandlerMayDestroyAnotherTimerAndRestartItself) {
    EventLoop loop;
    int ticks = 0;
    auto victim = loop.Create(1ms);
    auto self = loop.Create(1ms);
    victim->SetHandler([&] { FAIL() << "destroyed before it was due"; });
    self->SetHandler([&] {
        victim.reset();
        self->Stop();
        if (++ticks == 3) {
            loop.Quit(0);
        }
        self->Start();
    });
    self->Start();
    victim->SetInterval(30ms);
    victim->Start();
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(ticks, 3);
}

TEST(EventLoopTest, ReadableDescriptorWakesTheLoop) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    EventLoop loop;
    loop.WatchReadable(fds[0], [&] {
        char c = 0;
        EXPECT_EQ(::read(fds[0], &c, 1), 1);
        loop.Quit(c);
    });
    ASSERT_EQ(::write(fds[1], "\x07", 1), 1);
    EXPECT_EQ(loop.Run(), 7);
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(EventLoopTest, EndSignalBecomesAReadableEvent) {
    sigset_t before;
    ::sigprocmask(SIG_SETMASK, nullptr, &before);
    {
        TerminationSignals signals;
        ASSERT_TRUE(signals.Valid());
        EXPECT_FALSE(signals.Drain());
        ASSERT_EQ(::kill(::getpid(), SIGTERM), 0);
        EventLoop loop;
        loop.WatchReadable(signals.Fd(), [&] {
            if (signals.Drain()) {
                loop.Quit(0);
            }
        });
        EXPECT_EQ(loop.Run(), 0);
    }
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace
}  // namespace kestrove
