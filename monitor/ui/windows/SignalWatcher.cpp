#include "monitor/ui/SignalWatcher.h"

namespace kestrove {

// Windows asks a window program to end through its windows: WM_CLOSE (taskkill, the taskbar)
// reaches the main window's close, and the session's end (WM_ENDSESSION) Qt's aboutToQuit, both
// of which the monitor already answers with its shut-down. Nothing more to listen to.
SignalWatcher::SignalWatcher(QObject* parent) : QObject(parent) {}

SignalWatcher::~SignalWatcher() = default;

}  // namespace kestrove
