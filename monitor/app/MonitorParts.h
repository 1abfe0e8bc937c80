#pragma once

#include <chrono>
#include <filesystem>
#include <functional>

#include "common/ProcessControl.h"
#include "common/SettingsStore.h"
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
    // Waits out a short delay of the start-up, before the window shows.
    std::function<void(std::chrono::milliseconds)> wait;
    // Switches the scheduled-report timer `timReport` on or off.
    std::function<void(bool)> setReportTimer;
};

// The sweeper's program name: how the monitor starts it and finds it again.
inline constexpr std::string_view kMonitorName = "Kestrove";
inline constexpr std::string_view kSweeperName = "Meshprobe";
inline constexpr std::string_view kViewerName = "Quillpane";

}  // namespace kestrove
