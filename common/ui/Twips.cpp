#include "common/ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace kestrove {

double Twips::LogicalDpi(const QWidget* widget) {
    QScreen* screen = widget != nullptr && widget->screen() != nullptr
                          ? widget->screen()
                          : QGuiApplication::primaryScreen();
    double dpi = screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

int Twips::ToPixels(int twips, const QWidget* widget) {
    return static_cast<int>(std::lround(twips * LogicalDpi(widget) / 1440.0));
}

int Twips::FromPixels(int pixels, const QWidget* widget) {
    return static_cast<int>(std::lround(pixels * 1440.0 / LogicalDpi(widget)));
}

QRect Twips::Rect(int left, int top, int width, int height, const QWidget* widget) {
    return QRect(ToPixels(left, widget), ToPixels(top, widget), ToPixels(width, widget),
                 ToPixels(height, widget));
}

QSize Twips::Size(int width, int height, const QWidget* widget) {
    return QSize(ToPixels(width, widget), ToPixels(height, widget));
}

}  // namespace kestrove
