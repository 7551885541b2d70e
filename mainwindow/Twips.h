#pragma once

#include <QRect>

#include <cmath>

// Layouts are designed in twips at 15 twips per pixel (96 dots per inch).
namespace Twips {

inline constexpr int PerPixel = 15;

inline int toPixels(int twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / PerPixel));
}

inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace Twips
