#pragma once

#include <QDBusConnection>
#include <QObject>

#include "monitor/ui/DesktopNotifier.h"

namespace kestrove {

// Alarms through org.freedesktop.Notifications on a D-Bus session bus: the app name, the
// icon's picture, the message as summary, detail and causes as body, urgency critical (the
// service keeps it until the user closes it). A call the service does not answer (no service,
// no bus, an error) goes to the fallback. Calls never block the monitor's thread.
class FreedesktopNotifier final : public QObject, public DesktopNotifier {
    Q_OBJECT
public:
    static constexpr int kCallTimeoutMs = 3000;

    explicit FreedesktopNotifier(QDBusConnection bus, QObject* parent = nullptr);

    void Show(const QString& summary, const QString& body) override;

private:
    void AskCapabilities();

    QDBusConnection bus_;
    // Most services read the body as simple markup; until the service says otherwise the
    // body is escaped, so a host name with "<" shows as written.
    bool bodyMarkup_ = true;
};

}  // namespace kestrove
