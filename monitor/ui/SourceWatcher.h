#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

namespace kestrove {

// Watches a source of notifications in Qt's event loop and calls `ready` whenever it may have
// something: when its descriptor is readable, or, for a source without one, at its poll
// interval. `ready` returns false once the source is gone for good; nothing is watched then.
class SourceWatcher final {
public:
    SourceWatcher(int handle, std::chrono::milliseconds pollInterval, std::function<bool()> ready);
    SourceWatcher(const SourceWatcher&) = delete;
    SourceWatcher& operator=(const SourceWatcher&) = delete;

    bool IsWatching() const;
    void Stop();

private:
    void Ready();

    std::function<bool()> ready_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> timer_;
    bool stopped_ = false;
};

}  // namespace kestrove
