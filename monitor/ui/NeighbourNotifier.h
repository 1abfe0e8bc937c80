#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

#include "netinfo/NeighbourEvents.h"

namespace kestrove {

// Watches the neighbour notifications in Qt's event loop and hands them to `hear` (the watch
// engine) whenever some have arrived; a source that has nothing to watch (Windows) is read at
// its poll interval instead. Without a source it does nothing: polling by the scan alone then
// keeps watching.
class NeighbourNotifier final {
public:
    // `hear` returns false once the notifications are gone for good.
    NeighbourNotifier(std::unique_ptr<NeighbourEvents> source,
                      std::function<bool(NeighbourEvents&)> hear);
    NeighbourNotifier(const NeighbourNotifier&) = delete;
    NeighbourNotifier& operator=(const NeighbourNotifier&) = delete;

    bool IsListening() const;
    void Stop();

private:
    void Activated();
    void SetListening(bool on);

    std::unique_ptr<NeighbourEvents> source_;
    std::function<bool(NeighbourEvents&)> hear_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<QTimer> poll_;
    bool stopped_ = false;
};

}  // namespace kestrove
