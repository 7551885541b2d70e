#include "mainwindow/FineForkOutline.h"

#include <cstddef>

namespace FineForkOutline {

namespace {

// The window pixels of the outline.
class PixelGrid {
public:
    PixelGrid() : cells(std::size_t(Width) * Height, false)
    {
        for (const ForkOutline::Rect& r : ForkOutline::rects)
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    cells[index(x, y)] = true;
    }
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < Width && y < Height && cells[index(x, y)]; }

    // The skin's size; the outline lies inside it with white all round.
    static constexpr int Width = 792;
    static constexpr int Height = 443;

private:
    static std::size_t index(int x, int y) { return std::size_t(y) * Width + std::size_t(x); }
    std::vector<bool> cells;
};

// A quarter of a fork pixel, towards (dx, dy), is cut away at the outer corner of a
// stair step: both neighbours on that side are white, both on the far side fork, and
// the outline goes on along the other diagonal. A square corner keeps its quarter.
bool fineAt(const PixelGrid& grid, int x, int y, int dx, int dy)
{
    if (!grid.at(x, y))
        return false;
    const bool corner = !grid.at(x + dx, y) && !grid.at(x, y + dy) && grid.at(x - dx, y) && grid.at(x, y - dy);
    const bool stair = grid.at(x - dx, y + dy) || grid.at(x + dx, y - dy);
    return !(corner && stair);
}

struct Run {
    int left;
    int right;
    bool operator==(const Run&) const = default;
};

std::vector<Run> runsOfRow(const PixelGrid& grid, int fineY)
{
    std::vector<Run> runs;
    const int y = fineY / Scale;
    const int dy = fineY % Scale ? 1 : -1;
    bool inRun = false;
    for (int fineX = 0; fineX <= PixelGrid::Width * Scale; ++fineX) {
        const int x = fineX / Scale;
        const bool inside = fineX < PixelGrid::Width * Scale && fineAt(grid, x, y, fineX % Scale ? 1 : -1, dy);
        if (inside && !inRun)
            runs.push_back({fineX, 0});
        else if (!inside && inRun)
            runs.back().right = fineX;
        inRun = inside;
    }
    return runs;
}

} // namespace

std::vector<ForkOutline::Rect> rects()
{
    const PixelGrid grid;
    std::vector<ForkOutline::Rect> result;
    std::vector<Run> previous;
    std::size_t previousFirst = 0; // where the previous row's rectangles start
    for (int fineY = 0; fineY < PixelGrid::Height * Scale; ++fineY) {
        std::vector<Run> runs = runsOfRow(grid, fineY);
        if (!runs.empty() && runs == previous) {
            for (std::size_t i = 0; i < runs.size(); ++i)
                result[previousFirst + i].bottom = fineY + 1;
            continue;
        }
        previousFirst = result.size();
        for (const Run& run : runs)
            result.push_back({run.left, fineY, run.right, fineY + 1});
        previous = std::move(runs);
    }
    return result;
}

} // namespace FineForkOutline
