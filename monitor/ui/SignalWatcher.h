#pragma once

#include <QObject>
#include <memory>

namespace kestrove {

// Turns the system's request to end the program (SIGTERM and SIGINT on Linux, how a session
// manager or `kill` ends a program) into a Qt signal delivered on the event loop, where the
// normal shut-down can run. Each platform's file says what it listens to.
class SignalWatcher final : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject* parent = nullptr);
    ~SignalWatcher() override;

signals:
    void TerminationRequested();

private:
    // What the platform listens with; may be none.
    std::unique_ptr<QObject> notifier_;
};

}  // namespace kestrove
