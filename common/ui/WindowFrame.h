#pragma once

#include <QMargins>

class QWidget;

namespace kestrove {

// The frame and title bar the window manager put around a top-level window, as the window
// system has it now; null while none is known. QWidget's own copy is refreshed only when the
// window moves or is resized, and a manager may frame a window without doing either; on X11
// it can also be taken while the manager is still building the frame (below zero: unknown).
QMargins WindowFrame(const QWidget* window);

}  // namespace kestrove
