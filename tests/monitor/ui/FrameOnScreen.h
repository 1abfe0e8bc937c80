#pragma once

#include <QRect>

class QWidget;

namespace kestrove::test {

// The window with the frame its window manager put around it, as the windowing system has it:
// Qt on X11 may keep a frame measure taken while the manager was still building the frame.
QRect FrameOnScreen(QWidget* window);

// Waits until the window was fitted to its manager's frame (at once where there is none) and
// the frame has stood still for a few polls; the frame as FrameOnScreen gives it.
QRect SettledFrame(QWidget* window);

}  // namespace kestrove::test
