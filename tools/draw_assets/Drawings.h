#pragma once

// Every picture the program carries, drawn from code so that it can be redrawn at
// will: the window skin, the GO and STOP signs, the radar gun, and the icon.

#include <QImage>
#include <QList>
#include <QRgb>

namespace Drawings {

// The pictures are drawn at scale 1 for the window's pixels, or at scale 2, twice
// as large, for screens with a device pixel ratio of 2 (the @2x files).

// 792 x 443, 8-bit indexed, the four colours of SkinColours. Its non-white pixels are
// exactly the fork outline (at scale 2, FineForkOutline).
QImage skin(int scale = 1);

// Transparent background, antialiased, ARGB32.
QImage goSign(int scale = 1);   // 50 x 53
QImage stopSign(int scale = 1); // 53 x 54
QImage radarGun(int scale = 1); // 103 x 52

// The program icon at size x size pixels.
QImage icon(int size);

// The icon sizes a desktop asks for.
QList<int> iconSizes();

} // namespace Drawings
