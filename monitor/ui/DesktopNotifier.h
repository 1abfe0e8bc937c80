#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace kestrove {

// Shows an alarm on the desktop, whether the main window is open, minimised or in the tray.
// Where the desktop's own notification service does not answer, the fallback (the tray
// icon's balloon) shows it instead.
class DesktopNotifier {
public:
    using Fallback = std::function<void(const QString& summary, const QString& body)>;

    virtual ~DesktopNotifier() = default;
    // `summary`: the alarm's message; `body`: plain text (detail, likely causes), one item a
    // line.
    virtual void Show(const QString& summary, const QString& body) = 0;

    void SetFallback(Fallback fallback) { fallback_ = std::move(fallback); }

protected:
    void ShowFallback(const QString& summary, const QString& body) const {
        if (fallback_) {
            fallback_(summary, body);
        }
    }

private:
    Fallback fallback_;
};

// The platform's notifier: the freedesktop notification service on the session bus (Linux),
// the tray balloon (Windows).
std::unique_ptr<DesktopNotifier> CreateDesktopNotifier();

}  // namespace kestrove
