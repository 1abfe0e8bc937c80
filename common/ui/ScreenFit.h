#pragma once

#include <QObject>
#include <QTimer>

class QWidget;

namespace kestrove {

// Keeps a top-level window whole on its screen's free area (the screen without panels) at any
// scale: its outer size, frame and title bar included, is bounded by that area and the window
// is moved onto it. Done at every show and again once the window manager has put its frame
// around the window, which it does only after the first show; a window larger than the screen
// then scrolls its own content. Where the user moves the window afterwards is theirs.
class ScreenFit final : public QObject {
    Q_OBJECT
public:
    // Watches `window` for as long as it lives; the watcher, for its signal.
    static ScreenFit* Keep(QWidget* window);
    // Fits `window` now.
    static void Fit(QWidget* window);
    // Set on the window, false at a show and true once the fit after the window manager's
    // framing is done (or no manager framed it within 10 s).
    static constexpr const char* kDoneProperty = "screenFitDone";

signals:
    // The window manager's frame is known after a show, just before the window is fitted to
    // it: the manager frames a window without moving or resizing it, so no event says so.
    void Framed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ScreenFit(QWidget* window);
    void Poll();

    QTimer poll_;
    int waitsLeft_ = 0;
};

}  // namespace kestrove
