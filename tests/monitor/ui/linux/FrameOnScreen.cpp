#include "../FrameOnScreen.h"

#include <QGuiApplication>
#include <QMargins>
#include <QWidget>
#include <cstdio>
#include <string>

#include "testsupport/RunCommand.h"

namespace kestrove::test {

QRect FrameOnScreen(QWidget* window) {
    if (QGuiApplication::platformName() != "xcb") {
        return window->frameGeometry();
    }
    std::string out;
    RunCommand({"xprop", "-id", std::to_string(window->winId()), "_NET_FRAME_EXTENTS"}, &out);
    int left = 0, right = 0, top = 0, bottom = 0;
    std::size_t at = out.find(" = ");
    if (at == std::string::npos ||
        std::sscanf(out.c_str() + at + 3, "%d, %d, %d, %d", &left, &right, &top, &bottom) != 4) {
        return window->geometry();  // not framed (yet)
    }
    // xprop gives device pixels; Qt's geometry is in scaled ones.
    qreal ratio = window->devicePixelRatioF();
    return window->geometry().marginsAdded(QMargins(qRound(left / ratio), qRound(top / ratio),
                                                    qRound(right / ratio),
                                                    qRound(bottom / ratio)));
}

}  // namespace kestrove::test
