#include "widgets/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace kelpo {

double TwipsPerPixel(const QWidget* widget) {
    const QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? TwipsPerInch / dpi : 15.0;
}

int TwipsToPixels(int twips, const QWidget* widget) {
    return static_cast<int>(std::lround(twips / TwipsPerPixel(widget)));
}

int PixelsToTwips(int pixels, const QWidget* widget) {
    return static_cast<int>(std::lround(pixels * TwipsPerPixel(widget)));
}

QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget) {
    return QRect(TwipsToPixels(left, widget), TwipsToPixels(top, widget),
                 TwipsToPixels(width, widget), TwipsToPixels(height, widget));
}

QPoint TwipsPoint(int left, int top, const QWidget* widget) {
    return QPoint(TwipsToPixels(left, widget), TwipsToPixels(top, widget));
}

} // namespace kelpo
