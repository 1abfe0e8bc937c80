#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

namespace kestrove {

// Watches a source of notifications in Qt's event loop and calls `ready` whenever it may have
// something: when its descriptor is readable, or, for a source without one (Windows's polled
// tables), at its poll interval, asked again after every round (a slow read asks for longer).
// `ready` returns false once the source is gone for good; nothing is watched then.
class SourceWatcher final {
public:
    using Interval = std::function<std::chrono::milliseconds()>;

    SourceWatcher(int handle, Interval pollInterval, std::function<bool()> ready);
    SourceWatcher(const SourceWatcher&) = delete;
    SourceWatcher& operator=(const SourceWatcher&) = delete;

    bool IsWatching() const;
    void Stop();

private:
    void Ready();
    void SetWatching(bool on);

    Interval pollInterval_;
    std::function<bool()> ready_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> timer_;
    bool stopped_ = false;
};

}  // namespace kestrove
