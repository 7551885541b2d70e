#pragma once

#include <QRect>

// Layouts are designed in twips at 15 twips per pixel (96 dots per inch).
namespace Twips {

inline constexpr int PerPixel = 15;

// Whole pixels, cut down: 4300 twips are 286 px.
inline constexpr int toPixels(int twips)
{
    return twips / PerPixel;
}

// Pixels with their fraction, for offsets that are added to other lengths before the
// sum is rounded: 3500 twips are 233.33 px.
inline constexpr double toExactPixels(double twips)
{
    return twips / PerPixel;
}

inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace Twips
