#pragma once

// The outline of the main window: the two tuning forks as 158 rectangles, one
// per run of pixel rows that share the same left and right edge, top to bottom.
// The same set of pixels is exactly the non-white part of the skin picture.

#include <QRegion>

#include <array>
#include <cstddef>
#include <span>

namespace ForkOutline {

// Window pixels; right and bottom are exclusive.
struct Rect {
    int left;
    int top;
    int right;
    int bottom;
};

inline constexpr std::size_t RectCount = 158;

// In storage order: rectangles 1 to 106 are the upper fork (rows 4 to 284),
// 107 to 158 the lower fork (rows 293 to 433).
extern const std::array<Rect, RectCount> rects;

// First rectangle of the lower fork (0-based index into rects).
inline constexpr std::size_t LowerForkFirst = 106;

// The rectangles as one region: the window's mask, or with FineForkOutline's
// rectangles the outline in device pixels at twice the resolution.
QRegion region(std::span<const Rect> outline = rects);

} // namespace ForkOutline
