#pragma once

#include <filesystem>
#include <functional>

#include "common/ProcessControl.h"
#include "common/SettingsStore.h"
#include "common/Yielder.h"
#include "monitor/app/MainView.h"
#include "monitor/watch/AlarmLog.h"
#include "monitor/watch/WatchEngine.h"
#include "netinfo/OwnAdapters.h"

namespace kestrove {

// The pieces of the monitor that its start-up, shut-down and menu commands work on.
struct MonitorParts {
    std::filesystem::path programFolder;
    SettingsStore& settings;
    WatchEngine& engine;
    AlarmLog& log;
    OwnAdapters& adapters;
    ProcessControl& processes;
    MainView& view;
    Yielder& yielder;
    // Switches the scheduled-report timer `timReport` on or off.
    std::function<void(bool)> setReportTimer;
};

// The sweeper's program name: how the monitor starts it and finds it again.
inline constexpr std::string_view kMonitorName = "Kestrove";
inline constexpr std::string_view kSweeperName = "Meshprobe";
inline constexpr std::string_view kViewerName = "Quillpane";

}  // namespace kestrove
