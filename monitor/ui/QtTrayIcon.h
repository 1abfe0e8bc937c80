#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>

#include "monitor/ui/TrayController.h"

class QMenu;

namespace kestrove {

// The tray icon on QSystemTrayIcon: a left click brings the window back, the right button
// opens `MPopup`.
class QtTrayIcon final : public QObject, public TrayIcon {
    Q_OBJECT
public:
    QtTrayIcon(QMenu* popup, std::function<void()> onLeftClick, QObject* parent = nullptr);

    bool Available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    void Add() override;
    void Remove() override { icon_.hide(); }
    void SetAlarmPicture(bool alarm) override;
    // A desktop notification (the freedesktop service where one runs, else a balloon).
    void ShowMessage(const QString& title, const QString& text);

private:
    QSystemTrayIcon icon_;
    QIcon normalIcon_;
    QIcon alarmIcon_;
};

}  // namespace kestrove
