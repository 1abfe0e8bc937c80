// Meshprobe's timers on a real window's message loop (a message-only window: no display
// needed), as the Linux event loop's are tested on epoll.
#include "sweeper/windows/WindowTimers.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

namespace kestrove {
namespace {

using namespace std::chrono_literals;

// Bounds every loop: a test that waits for a timer that never comes fails instead of hanging.
constexpr UINT_PTR kGuardTimer = 0x7FFF;
constexpr int kGuardExit = -1;

class TimerWindow {
public:
    TimerWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &Proc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kClass;
        ::RegisterClassW(&windowClass);  // a second registration fails harmlessly
        window_ = ::CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
        timers_.emplace(window_);
        current_ = this;
    }
    ~TimerWindow() {
        timers_.reset();
        ::DestroyWindow(window_);
        current_ = nullptr;
    }
    TimerWindow(const TimerWindow&) = delete;
    TimerWindow& operator=(const TimerWindow&) = delete;

    HWND Window() const { return window_; }
    WindowTimers& Timers() { return *timers_; }

    // Dispatches messages until a handler quits (its code) or 10 s pass (kGuardExit).
    int Run() {
        ::SetTimer(window_, kGuardTimer, 10000, nullptr);
        MSG message{};
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::DispatchMessageW(&message);
        }
        ::KillTimer(window_, kGuardTimer);
        return static_cast<int>(message.wParam);
    }
    static void Quit(int code) { ::PostQuitMessage(code); }

private:
    static constexpr const wchar_t* kClass = L"KestroveTimerTest";

    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_TIMER && wParam == kGuardTimer) {
            Quit(kGuardExit);
            return 0;
        }
        if (message == WM_TIMER && current_ != nullptr && current_->timers_) {
            current_->timers_->OnTimer(wParam);
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    static inline TimerWindow* current_ = nullptr;
    HWND window_ = nullptr;
    std::optional<WindowTimers> timers_;
};

TEST(WindowTimersTest, TimersFireInDueOrderAndAStoppedTimerStaysQuiet) {
    TimerWindow window;
    ASSERT_NE(window.Window(), nullptr);
    std::string fired;
    auto late = window.Timers().Create(200ms);
    auto early = window.Timers().Create(1ms);
    auto never = window.Timers().Create(5ms);
    auto zero = window.Timers().Create(0ms);
    early->SetHandler([&] {
        fired += 'e';
        early->Stop();
    });
    late->SetHandler([&] {
        fired += 'l';
        TimerWindow::Quit(3);
    });
    never->SetHandler([&] { fired += 'n'; });
    zero->SetHandler([&] { fired += 'z'; });
    late->Start();
    early->Start();
    never->Start();
    never->Stop();
    zero->Start();  // a zero interval never fires
    EXPECT_EQ(window.Run(), 3);
    EXPECT_EQ(fired, "el");
    EXPECT_TRUE(zero->IsActive());
    EXPECT_FALSE(never->IsActive());
}

TEST(WindowTimersTest, HandlerMayDestroyAnotherTimerAndRestartItself) {
    TimerWindow window;
    int ticks = 0;
    auto victim = window.Timers().Create(1ms);
    auto self = window.Timers().Create(1ms);
    victim->SetHandler([&] { FAIL() << "destroyed before it was due"; });
    self->SetHandler([&] {
        victim.reset();
        self->Stop();
        if (++ticks == 3) {
            TimerWindow::Quit(0);
        }
        self->Start();
    });
    self->Start();
    victim->SetInterval(300ms);
    victim->Start();
    EXPECT_EQ(window.Run(), 0);
    EXPECT_EQ(ticks, 3);
}

TEST(WindowTimersTest, TickStillQueuedForAStoppedOrDestroyedTimerIsIgnored) {
    TimerWindow window;
    std::string fired;
    auto stopped = window.Timers().Create(1ms);
    auto destroyed = window.Timers().Create(1ms);
    auto last = window.Timers().Create(1ms);
    stopped->SetHandler([&] { fired += 's'; });
    destroyed->SetHandler([&] { fired += 'd'; });
    last->SetHandler([&] {
        fired += 'l';
        TimerWindow::Quit(0);
    });
    stopped->Start();
    destroyed->Start();
    // Ticks that were posted before the timers went: the ids 1 and 2, then the last one's.
    ::PostMessageW(window.Window(), WM_TIMER, 1, 0);
    ::PostMessageW(window.Window(), WM_TIMER, 2, 0);
    ::PostMessageW(window.Window(), WM_TIMER, 99, 0);  // never made
    stopped->Stop();
    destroyed.reset();
    last->Start();
    EXPECT_EQ(window.Run(), 0);
    EXPECT_EQ(fired, "l");
}

}  // namespace
}  // namespace kestrove
