#include "common/ui/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace kestrove {
namespace {

constexpr int kRefitDelaysMs[] = {0, 50, 200, 500, 1000, 2000};

// The frame of the last window the window manager framed: the best guess for a window that is
// not framed yet, since one manager frames every window alike.
QMargins lastFrame;

QMargins FrameOf(const QWidget* window) {
    QRect outer = window->frameGeometry();
    QRect inner = window->geometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                   outer.right() - inner.right(), outer.bottom() - inner.bottom());
    // Qt on X11 can take the frame's measure while the window manager is still building it
    // and give margins below zero: no frame known yet.
    if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0) {
        return QMargins();
    }
    return frame;
}

}  // namespace

ScreenFit::ScreenFit(QWidget* window) : QObject(window) {
    window->installEventFilter(this);
}

void ScreenFit::Keep(QWidget* window) {
    if (window->findChild<ScreenFit*>(QString(), Qt::FindDirectChildrenOnly) == nullptr) {
        new ScreenFit(window);
    }
}

void ScreenFit::Fit(QWidget* window) {
    const QScreen* screen =
        window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // Not framed yet: as the last framed window was (one manager frames every window alike).
    // Where no window manager frames anything, windows have no frame and may fill the area.
    QMargins frame = FrameOf(window);
    if (frame.isNull()) {
        frame = lastFrame;
    } else {
        lastFrame = frame;
    }
    QRect area = screen->availableGeometry();
    QSize room(area.width() - frame.left() - frame.right(),
               area.height() - frame.top() - frame.bottom());
    QSize size = window->size().boundedTo(room).expandedTo(window->minimumSize());
    if (size != window->size()) {
        window->resize(size);
    }
    // pos() is the frame's top left corner.
    QSize outer(size.width() + frame.left() + frame.right(),
                size.height() + frame.top() + frame.bottom());
    QPoint at = window->pos();
    at.setX(
        std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())));
    at.setY(
        std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
    if (at != window->pos()) {
        window->move(at);
    }
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event) {
    auto* window = qobject_cast<QWidget*>(watched);
    if (window == nullptr || !window->isWindow() || event->type() != QEvent::Show) {
        return false;
    }
    Fit(window);
    // A dialog is placed over its parent after this, and the window manager frames the window
    // later still, without telling the window when the frame alone moved: fitted again until
    // a fit had the frame to measure.
    waitingForFrame_ = true;
    for (int delay : kRefitDelaysMs) {
        QTimer::singleShot(delay, this, [this, window] {
            if (waitingForFrame_ && window->isVisible()) {
                waitingForFrame_ = FrameOf(window).isNull();
                Fit(window);
            }
        });
    }
    return false;
}

}  // namespace kestrove
