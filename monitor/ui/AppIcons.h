#pragma once

#include <QIcon>
#include <QImage>

namespace kestrove {

// Every picture of the monitor comes from the application menu's icon (kestrove.svg), so the
// menu entry, the window, the tray, the About box and the notifications show one design.
namespace icons {

// The icon as drawn: the window's, the tray's between alarms, the About box's.
QIcon Normal();
// The same drawing on a red ground: the tray's alarm picture.
QIcon Alarm();
// The normal icon as pixels, `size` square (for a notification's picture).
QImage NormalImage(int size);

}  // namespace icons
}  // namespace kestrove
