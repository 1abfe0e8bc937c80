#pragma once

class QWidget;

namespace kestrove {

// Draws the group boxes of `window` as the programs' frames are drawn: a line around the
// content with the frame's title set on the top line, the content below the title. (The
// default style puts the title above the box, so controls placed just under the top edge sat
// on the line.)
void UseFrameStyle(QWidget* window);

}  // namespace kestrove
