// The window skin, at the window's resolution and at twice it.
//
// Each fork is a slab seen from the front and a little from above right: its back
// face is its front face moved up and right along the 45-degree diagonal, and the
// outline is everything that movement sweeps. The front face is thus the set of
// outline pixels from which the whole diagonal run up to the back face stays inside
// the outline; what is left over are the faces seen edge-on (the tops and the
// right-hand ends), drawn dark grey. At twice the resolution every length doubles,
// outlines too, so that the lines keep their weight and only the edges get finer.

#include "tools/draw_assets/Drawings.h"

#include "assets/SkinColours.h"
#include "mainwindow/FineForkOutline.h"
#include "mainwindow/ForkOutline.h"

#include <cstdint>
#include <vector>

namespace Drawings {

namespace {

constexpr int SkinWidth = 792;
constexpr int SkinHeight = 443;

enum SkinIndex : std::uint8_t { White = 0, Face = 1, Depth = 2, Black = 3 };

struct Fork {
    int firstRow; // inclusive
    int endRow;   // exclusive
    int depth;    // length of the diagonal from front to back face, in pixels
};

// The forks' 45-degree corners in the outline give their depth: 14 rows on the
// upper fork, 7 on the lower.
constexpr Fork Forks[] {{4, 285, 14}, {293, 434, 7}};

class Grid {
public:
    Grid(int width, int height) : width(width), height(height), cells(std::size_t(width) * height, 0) {}
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && cells[index(x, y)]; }
    void set(int x, int y, bool value = true) { cells[index(x, y)] = value; }

private:
    std::size_t index(int x, int y) const { return std::size_t(y) * width + std::size_t(x); }
    int width;
    int height;
    std::vector<std::uint8_t> cells;
};

// The skin at one resolution: scale device pixels to the window pixel.
class Skin {
public:
    explicit Skin(int scale)
        : scale(scale), width(SkinWidth * scale), height(SkinHeight * scale), shape(outline()), front(frontFace())
    {
    }

    QImage draw() const;

private:
    Fork scaled(const Fork& fork) const
    {
        return {fork.firstRow * scale, fork.endRow * scale, fork.depth * scale};
    }
    Grid outline() const;
    int depthAt(const Fork& fork, int x, int y) const;
    Grid frontFace() const;
    int forkDepthAt(int y) const;
    bool anyNear(const Grid& grid, int x, int y, bool value) const;
    bool isSquareTopRightCorner(int x, int y) const;

    const int scale;
    const int width;
    const int height;
    const Grid shape;
    const Grid front;
};

Grid Skin::outline() const
{
    Grid grid(width, height);
    auto fill = [&](const ForkOutline::Rect& r) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                grid.set(x, y);
    };
    if (scale == 1) {
        for (const ForkOutline::Rect& r : ForkOutline::rects)
            fill(r);
    } else {
        for (const ForkOutline::Rect& r : FineForkOutline::rects())
            fill(r);
    }
    return grid;
}

// The upper fork's notch is drawn shallower at its rounded end, so that its
// inner wall keeps clear of the unit caption beside the first speed (x 375 to
// 444, rows 120 to 153); the depth grows back to the full 14 px along the lower
// tine's inner top face.
int Skin::depthAt(const Fork& fork, int x, int y) const
{
    const int notchFirstRow = 109 * scale, notchEndRow = 200 * scale, from = 420 * scale;
    const int shallowEnd = 446 * scale, fullFrom = 496 * scale, shallowDepth = 5 * scale;
    if (fork.firstRow != Forks[0].firstRow * scale || y < notchFirstRow || y >= notchEndRow || x < from || x >= fullFrom)
        return fork.depth;
    if (x <= shallowEnd)
        return shallowDepth;
    return shallowDepth + (fork.depth - shallowDepth) * (x - shallowEnd) / (fullFrom - shallowEnd);
}

Grid Skin::frontFace() const
{
    Grid face(width, height);
    for (const Fork& unscaled : Forks) {
        const Fork fork = scaled(unscaled);
        for (int y = fork.firstRow; y < fork.endRow; ++y) {
            for (int x = 0; x < width; ++x) {
                const int depth = depthAt(fork, x, y);
                bool inside = true;
                for (int k = 0; k <= depth && inside; ++k)
                    inside = y - k >= fork.firstRow && shape.at(x + k, y - k);
                if (inside)
                    face.set(x, y);
            }
        }
    }
    return face;
}

int Skin::forkDepthAt(int y) const
{
    for (const Fork& unscaled : Forks) {
        const Fork fork = scaled(unscaled);
        if (y >= fork.firstRow && y < fork.endRow)
            return fork.depth;
    }
    return 0;
}

// Whether a pixel within one line's width (one window pixel) straight up, down, left
// or right has the value: the pixels that carry an outline.
bool Skin::anyNear(const Grid& grid, int x, int y, bool value) const
{
    for (int d = 1; d <= scale; ++d)
        if (grid.at(x - d, y) == value || grid.at(x + d, y) == value || grid.at(x, y - d) == value
            || grid.at(x, y + d) == value)
            return true;
    return false;
}

// A square top-right corner of the front face: a straight top edge runs left of
// it and a straight right edge runs below it. Rounded corners have no crease.
bool Skin::isSquareTopRightCorner(int x, int y) const
{
    const int run = 4 * scale;
    if (!front.at(x, y) || front.at(x + 1, y) || front.at(x, y - 1))
        return false;
    for (int i = 1; i <= run; ++i) {
        if (!front.at(x - i, y) || front.at(x - i, y - 1))
            return false;
        if (!front.at(x, y + i) || front.at(x + 1, y + i))
            return false;
    }
    return true;
}

QImage Skin::draw() const
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable({SkinColours::White, SkinColours::Face, SkinColours::Depth, SkinColours::Black});
    image.fill(White);

    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            if (!shape.at(x, y))
                continue;
            if (front.at(x, y))
                row[x] = anyNear(shape, x, y, false) ? Black : Face;
            else
                row[x] = anyNear(shape, x, y, false) || anyNear(front, x, y, true) ? Black : Depth;
        }
    }

    // Where a top face meets a right-hand end face, a crease runs from the front
    // face's corner to the back face's.
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!isSquareTopRightCorner(x, y))
                continue;
            const int depth = forkDepthAt(y);
            for (int k = 1; k <= depth && shape.at(x + k, y - k); ++k)
                for (int w = 0; w < scale && shape.at(x + k + w, y - k); ++w)
                    image.scanLine(y - k)[x + k + w] = Black;
        }
    }
    return image;
}

} // namespace

QImage skin(int scale)
{
    return Skin(scale).draw();
}

} // namespace Drawings
