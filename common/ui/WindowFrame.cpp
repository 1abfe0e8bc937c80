#include "common/ui/WindowFrame.h"

#include <QWidget>
#include <QWindow>

namespace kestrove {

QMargins WindowFrame(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    if (handle == nullptr || !window->isWindow()) {
        return QMargins();
    }
    QMargins frame = handle->frameMargins();
    if (frame.left() < 0 || frame.top() < 0 || frame.right() < 0 || frame.bottom() < 0) {
        return QMargins();
    }
    return frame;
}

}  // namespace kestrove
