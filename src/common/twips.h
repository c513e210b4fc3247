#pragma once

#include <QRect>
#include <cmath>

// Layout sizes are given in twips (1/1440 inch); at 96 device-independent
// pixels per inch that is 15 twips per pixel. One rounding rule everywhere:
// to the nearest pixel, halves away from zero.
namespace vorkel {

inline int TwipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

inline QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

} // namespace vorkel
