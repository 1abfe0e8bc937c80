#include "monitor/ui/DesktopNotifier.h"

namespace kestrove {
namespace {

// Windows shows a tray icon's balloon as the system's own notification (a toast on Windows
// 10 and later), so the balloon is the notifier itself.
class TrayBalloonNotifier final : public DesktopNotifier {
public:
    void Show(const QString& summary, const QString& body) override { ShowFallback(summary, body); }
};

}  // namespace

std::unique_ptr<DesktopNotifier> CreateDesktopNotifier() {
    return std::make_unique<TrayBalloonNotifier>();
}

}  // namespace kestrove
