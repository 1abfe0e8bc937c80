#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace kestrove {

// Turns SIGTERM and SIGINT (how a session manager or `kill` ends a program) into a Qt signal
// delivered on the event loop, where the normal shut-down can run.
class SignalWatcher final : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

signals:
    void TerminationRequested();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace kestrove
