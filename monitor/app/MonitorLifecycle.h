#pragma once

#include "monitor/app/MonitorParts.h"

namespace kestrove {

// The main window's load and unload sequences. The one-copy test comes first and belongs to
// the program's entry point, which ends a second copy before any window exists.
class MonitorLifecycle {
public:
    explicit MonitorLifecycle(MonitorParts parts) : p_(parts) {}

    enum class StartResult { Started, NoOwnMac };

    // Defaults, own adapters (with one retry), menu marks, the start line, the sweeper, the
    // window's tray state or height, and the report timer. NoOwnMac: the warning was shown and
    // the program must end without writing anything more.
    StartResult Form_Load();

    // Stops the sweeper, writes the end line and the window height, and stops the engine. Runs
    // once, whatever closes the window.
    void Form_QueryUnload();

    static constexpr std::string_view kNoOwnMacMessage =
        "MACアドレスが取得できませんでした。\u3000再起動してみてください。";

private:
    bool ReadOwnAdapters();

    MonitorParts p_;
    bool unloaded_ = false;
};

}  // namespace kestrove
