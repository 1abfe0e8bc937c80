#include "common/ui/FrameStyle.h"

#include <QWidget>

namespace kestrove {

void UseFrameStyle(QWidget* widget) {
    // The border starts half a title down, so the line runs through the title; the title's
    // own background hides the line behind its text.
    widget->setStyleSheet(widget->styleSheet() +
                          QStringLiteral("QGroupBox {"
                                         "  border: 1px solid palette(mid);"
                                         "  border-radius: 2px;"
                                         "  margin-top: 0.75em;"
                                         "  padding-top: 0.3em;"
                                         "}"
                                         "QGroupBox::title {"
                                         "  subcontrol-origin: margin;"
                                         "  subcontrol-position: top left;"
                                         "  left: 0.6em;"
                                         "  padding: 0 0.25em;"
                                         "  background-color: palette(window);"
                                         "}"));
}

}  // namespace kestrove
