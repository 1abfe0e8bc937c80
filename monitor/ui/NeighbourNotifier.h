#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

#include "netinfo/NeighbourEvents.h"

namespace kestrove {

// Watches the neighbour notifications in Qt's event loop and hands them to `hear` (the watch
// engine) whenever some have arrived. Without notifications it does nothing: polling alone then
// keeps watching.
class NeighbourNotifier final {
public:
    // `hear` returns false once the notifications are gone for good.
    NeighbourNotifier(std::unique_ptr<NeighbourEvents> source,
                      std::function<bool(NeighbourEvents&)> hear);
    NeighbourNotifier(const NeighbourNotifier&) = delete;
    NeighbourNotifier& operator=(const NeighbourNotifier&) = delete;

    bool IsListening() const { return notifier_ && notifier_->isEnabled(); }
    void Stop();

private:
    void Activated();

    std::unique_ptr<NeighbourEvents> source_;
    std::function<bool(NeighbourEvents&)> hear_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool stopped_ = false;
};

}  // namespace kestrove
