// Meshprobe: contacts every address of the own subnet, one per second, over and over, so that
// every host on it enters the ARP table the monitor watches. Its only window is never shown;
// the monitor finds it by the title "Meshprobe" and ends the program through it.

#include <windows.h>

#include "common/SingleInstance.h"
#include "netinfo/NetInfoPlatform.h"
#include "netinfo/OwnAdapters.h"
#include "sweeper/SubnetSweep.h"
#include "sweeper/SweepAddresses.h"
#include "sweeper/windows/WindowTimers.h"
#include "sweeper/windows/WinsockProber.h"

namespace {

constexpr const wchar_t* kWindowClass = L"KestroveMeshprobe";
constexpr const wchar_t* kWindowTitle = L"Meshprobe";

kestrove::WindowTimers* timers = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (timers != nullptr) {
                timers->OnTimer(wParam);
            }
            return 0;
        case WM_CLOSE:
            ::DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int main() {
    using namespace kestrove;

    SingleInstance instance("Meshprobe");
    if (!instance.Acquire()) {
        return 0;
    }

    HINSTANCE module = ::GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kWindowClass;
    if (::RegisterClassW(&windowClass) == 0) {
        return 1;
    }
    // A top-level window (not message-only): the monitor's search walks the top-level windows.
    HWND window = ::CreateWindowExW(0, kWindowClass, kWindowTitle, WS_OVERLAPPED, 0, 0, 0, 0,
                                    nullptr, nullptr, module, nullptr);
    if (window == nullptr) {
        return 1;
    }

    std::unique_ptr<AdapterSource> source = CreateAdapterSource();
    OwnAdapters own(*source);
    own.GetOwnAdapters(nullptr);

    WindowTimers windowTimers(window);
    timers = &windowTimers;
    WinsockProber prober;
    SubnetSweep sweep(windowTimers, prober, SweepAddresses(own));
    sweep.Start();

    MSG message;
    int code = 0;
    while (true) {
        BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            code = got == 0 ? static_cast<int>(message.wParam) : 1;
            break;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    timers = nullptr;
    return code;
}
