#include "monitor/ui/QtTrayIcon.h"

#include <QMenu>

#include "monitor/ui/AppIcons.h"
#include "monitor/ui/MainWindowTexts.h"

namespace kestrove {

QtTrayIcon::QtTrayIcon(QMenu* popup, std::function<void()> onLeftClick, QObject* parent)
    : QObject(parent), normalIcon_(icons::Normal()), alarmIcon_(icons::Alarm()) {
    icon_.setIcon(normalIcon_);
    icon_.setToolTip(QString::fromUtf8(texts::kTitle));
    icon_.setContextMenu(popup);
    connect(&icon_, &QSystemTrayIcon::activated, this,
            [onLeftClick = std::move(onLeftClick)](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    onLeftClick();
                }
            });
    balloonEnd_.setSingleShot(true);
    connect(&balloonEnd_, &QTimer::timeout, this, [this] {
        if (onlyForBalloon_) {
            Remove();
        }
    });
}

void QtTrayIcon::Add() {
    onlyForBalloon_ = false;
    if (!icon_.isVisible()) {
        icon_.show();
    }
}

void QtTrayIcon::Remove() {
    onlyForBalloon_ = false;
    icon_.hide();
}

void QtTrayIcon::ShowMessage(const QString& title, const QString& text) {
    if (!Available()) {
        return;  // no tray: nowhere to show a balloon
    }
    if (!icon_.isVisible()) {
        icon_.show();
        onlyForBalloon_ = true;
    }
    if (onlyForBalloon_) {
        balloonEnd_.start(kBalloonMs);
    }
    icon_.showMessage(title, text, QSystemTrayIcon::Warning, kBalloonMs);
}

void QtTrayIcon::SetAlarmPicture(bool alarm) {
    icon_.setIcon(alarm ? alarmIcon_ : normalIcon_);
}

}  // namespace kestrove
