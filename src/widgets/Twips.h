#pragma once
// Window layout and stored window positions are in twips (1/1440 inch). They are turned
// into pixels here and nowhere else: pixels = twips / (1440 / logical DPI).
#include <QPoint>
#include <QRect>

class QWidget;

namespace kelpo {

inline constexpr double TwipsPerInch = 1440.0;

// Twips per logical pixel on the screen of `widget` (the primary screen when null or not
// yet on a screen): 15 at 96 DPI.
double TwipsPerPixel(const QWidget* widget = nullptr);

int TwipsToPixels(int twips, const QWidget* widget = nullptr);
int PixelsToTwips(int pixels, const QWidget* widget = nullptr);

QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget = nullptr);
QPoint TwipsPoint(int left, int top, const QWidget* widget = nullptr);

} // namespace kelpo
