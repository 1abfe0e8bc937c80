#include "monitor/ui/QtTrayIcon.h"

#include <QMenu>

#include "common/ui/ResourceIcon.h"
#include "monitor/ui/MainWindowTexts.h"

namespace kestrove {

QtTrayIcon::QtTrayIcon(QMenu* popup, std::function<void()> onLeftClick, QObject* parent)
    : QObject(parent),
      normalIcon_(ResourceIcon(":/kestrove/tray-normal")),
      alarmIcon_(ResourceIcon(":/kestrove/tray-alarm")) {
    icon_.setIcon(normalIcon_);
    icon_.setToolTip(QString::fromUtf8(texts::kTitle));
    icon_.setContextMenu(popup);
    connect(&icon_, &QSystemTrayIcon::activated, this,
            [onLeftClick = std::move(onLeftClick)](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    onLeftClick();
                }
            });
}

void QtTrayIcon::Add() {
    if (!icon_.isVisible()) {
        icon_.show();
    }
}

void QtTrayIcon::ShowMessage(const QString& title, const QString& text) {
    icon_.showMessage(title, text, QSystemTrayIcon::Warning);
}

void QtTrayIcon::SetAlarmPicture(bool alarm) {
    icon_.setIcon(alarm ? alarmIcon_ : normalIcon_);
}

}  // namespace kestrove
