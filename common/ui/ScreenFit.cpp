#include "common/ui/ScreenFit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "common/ui/WindowFrame.h"

namespace kestrove {
namespace {

// Looked at every 100 ms for up to 10 s after a show: a manager that frames nothing by then
// frames nothing.
constexpr int kFramePollMs = 100;
constexpr int kFrameWaits = 100;

// The frame of the last window the window manager framed: the best guess for a window that is
// not framed yet, since one manager frames every window alike.
QMargins lastFrame;

}  // namespace

ScreenFit::ScreenFit(QWidget* window) : QObject(window) {
    poll_.setInterval(kFramePollMs);
    connect(&poll_, &QTimer::timeout, this, &ScreenFit::Poll);
    window->installEventFilter(this);
}

ScreenFit* ScreenFit::Keep(QWidget* window) {
    auto* fit = window->findChild<ScreenFit*>(QString(), Qt::FindDirectChildrenOnly);
    return fit != nullptr ? fit : new ScreenFit(window);
}

void ScreenFit::Fit(QWidget* window) {
    const QScreen* screen =
        window->screen() != nullptr ? window->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // Not framed yet: as the last framed window was (one manager frames every window alike).
    // Where no window manager frames anything, windows have no frame and may fill the area.
    QMargins frame = WindowFrame(window);
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
    // Where the frame's top left corner is (pos() may still hold a frame measured before the
    // manager framed the window); the manager puts its frame around the window where it stands.
    QPoint corner = window->geometry().topLeft() - QPoint(frame.left(), frame.top());
    QSize outer(size.width() + frame.left() + frame.right(),
                size.height() + frame.top() + frame.bottom());
    QPoint at = corner;
    at.setX(
        std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())));
    at.setY(
        std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
    if (at != corner) {
        window->move(window->pos() + (at - corner));
    }
}

bool ScreenFit::eventFilter(QObject* watched, QEvent* event) {
    auto* window = qobject_cast<QWidget*>(watched);
    if (window == nullptr || !window->isWindow() || event->type() != QEvent::Show) {
        return false;
    }
    Fit(window);
    // A dialog is placed over its parent after this, and the window manager frames the window
    // later still (seconds later on a loaded machine), without telling the window when the
    // frame alone moved: looked at again until a fit had the frame to measure.
    window->setProperty(kDoneProperty, false);
    waitsLeft_ = kFrameWaits;
    poll_.start();
    QTimer::singleShot(0, this, &ScreenFit::Poll);
    return false;
}

void ScreenFit::Poll() {
    auto* window = qobject_cast<QWidget*>(parent());
    if (window == nullptr || !window->isVisible()) {
        poll_.stop();
        return;
    }
    bool framed = !WindowFrame(window).isNull();
    if (framed) {
        emit Framed();
    }
    Fit(window);
    if (framed || --waitsLeft_ <= 0) {
        poll_.stop();
        window->setProperty(kDoneProperty, true);
    }
}

}  // namespace kestrove
