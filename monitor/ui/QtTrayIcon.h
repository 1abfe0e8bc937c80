#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>

#include "monitor/ui/TrayController.h"

class QMenu;

namespace kestrove {

// The tray icon on QSystemTrayIcon: a left click brings the window back, the right button
// opens `MPopup`.
class QtTrayIcon final : public QObject, public TrayIcon {
    Q_OBJECT
public:
    // How long a balloon stays, and with it an icon shown only to carry it.
    static constexpr int kBalloonMs = 10000;

    QtTrayIcon(QMenu* popup, std::function<void()> onLeftClick, QObject* parent = nullptr);

    bool Available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    void Add() override;
    void Remove() override;
    void SetAlarmPicture(bool alarm) override;
    // A balloon at the icon. While the window is open there is no icon: one is shown for the
    // balloon's time and taken away again.
    void ShowMessage(const QString& title, const QString& text);

private:
    QSystemTrayIcon icon_;
    QIcon normalIcon_;
    QIcon alarmIcon_;
    QTimer balloonEnd_;
    bool onlyForBalloon_ = false;
};

}  // namespace kestrove
