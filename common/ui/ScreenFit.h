#pragma once

#include <QObject>

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
    // Watches `window` for as long as it lives.
    static void Keep(QWidget* window);
    // Fits `window` now.
    static void Fit(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ScreenFit(QWidget* window);

    // Set by a show, cleared once a fit had the window manager's frame to measure.
    bool waitingForFrame_ = false;
};

}  // namespace kestrove
