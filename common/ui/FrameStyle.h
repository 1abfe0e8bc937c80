#pragma once

class QWidget;

namespace kestrove {

// Draws `widget` and the group boxes inside it as the programs' frames are drawn: a line around the
// content with the frame's title set on the top line, the content below the title. (The
// default style puts the title above the box, so controls placed just under the top edge sat
// on the line.)
void UseFrameStyle(QWidget* widget);

}  // namespace kestrove
