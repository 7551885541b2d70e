#pragma once

#include <QRgb>

// The skin's four colours. Labels and frames on the fork take its face grey, so that
// they blend into the skin around them.
namespace SkinColours {

inline constexpr QRgb White = 0xFFFFFFFF;
inline constexpr QRgb Face = 0xFF848484;  // 132, 132, 132
inline constexpr QRgb Depth = 0xFF424242; // 66, 66, 66
inline constexpr QRgb Black = 0xFF000000;

} // namespace SkinColours
