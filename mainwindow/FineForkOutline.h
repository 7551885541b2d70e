#pragma once

// The fork outline at twice the window's resolution, for screens with a device pixel
// ratio of 2. Straight edges and square corners stay as they are. At every stair step
// that goes on along a slope, the step's corner pixel loses its outer quarter: a
// 45-degree bevel then steps one device pixel per row instead of two, and every other
// step of two device pixels is split into two of one. Nothing is added, so the outline
// lies within the window's mask scaled by 2, which is what Qt paints.

#include "mainwindow/ForkOutline.h"

#include <vector>

namespace FineForkOutline {

inline constexpr int Scale = 2;

// Device pixels, right and bottom exclusive: one rectangle per run of rows with the
// same edges, top to bottom, as in ForkOutline::rects.
std::vector<ForkOutline::Rect> rects();

} // namespace FineForkOutline
