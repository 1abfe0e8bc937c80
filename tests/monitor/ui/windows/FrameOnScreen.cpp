#include "../FrameOnScreen.h"

#include <QWidget>

namespace kestrove::test {

// Windows tells a window its frame at once.
QRect FrameOnScreen(QWidget* window) {
    return window->frameGeometry();
}

}  // namespace kestrove::test
