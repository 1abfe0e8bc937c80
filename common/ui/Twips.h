#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

namespace kestrove {

// Window and control sizes are given in twips: 1440 per inch, 15 per pixel at 96 dpi. They are
// scaled with the screen's logical DPI so the layout keeps its proportions on larger screens.
class Twips final {
public:
    // Pixels for a twips measure on the screen of `widget` (or the primary screen).
    static int ToPixels(int twips, const QWidget* widget = nullptr);
    static int FromPixels(int pixels, const QWidget* widget = nullptr);
    static QRect Rect(int left, int top, int width, int height, const QWidget* widget = nullptr);
    static QSize Size(int width, int height, const QWidget* widget = nullptr);
    static double LogicalDpi(const QWidget* widget);
};

// Gives a control its name and places it at a twips rectangle of its parent.
template <typename W>
W* PlaceTwips(W* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(Twips::Rect(left, top, width, height, widget));
    return widget;
}

}  // namespace kestrove
