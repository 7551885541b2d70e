// The window outline table, the compiled-in pictures, and the drawing tool that
// produces them.

#include "assets/Assets.h"
#include "common/TestEnvironment.h"
#include "mainwindow/FineForkOutline.h"
#include "mainwindow/ForkOutline.h"

#include <QDirIterator>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QtTest>

#include <algorithm>
#include <vector>

namespace {

constexpr int SkinWidth = 792;
constexpr int SkinHeight = 443;
constexpr int OutlinePixels = 220687;

constexpr QRgb White = qRgb(255, 255, 255);
constexpr QRgb Face = qRgb(132, 132, 132);
constexpr QRgb Depth = qRgb(66, 66, 66);
constexpr QRgb Black = qRgb(0, 0, 0);

// The outline as pixels, at the window's resolution (scale 1) or at twice it; straight
// from the rectangles, independent of the region the window is cut to.
struct OutlineMask {
    explicit OutlineMask(int scale)
        : scale(scale), width(SkinWidth * scale), height(SkinHeight * scale), cells(std::size_t(width) * height, false)
    {
        auto fill = [&](const ForkOutline::Rect& r) {
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    cells[std::size_t(y) * width + x] = true;
        };
        if (scale == 1)
            std::for_each(ForkOutline::rects.begin(), ForkOutline::rects.end(), fill);
        else
            for (const ForkOutline::Rect& r : FineForkOutline::rects())
                fill(r);
    }
    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && cells[std::size_t(y) * width + x]; }
    // Whether a pixel within one window pixel straight up, down, left or right is outside.
    bool onBorder(int x, int y) const
    {
        for (int d = 1; d <= scale; ++d)
            if (!at(x - d, y) || !at(x + d, y) || !at(x, y - d) || !at(x, y + d))
                return true;
        return false;
    }

    int scale;
    int width;
    int height;
    std::vector<bool> cells;
};

QImage loadResource(const QString& path)
{
    QImage image(path);
    if (image.isNull())
        qWarning("cannot load %s", qPrintable(path));
    return image;
}

QString hicolorIcon(const QString& root, int size)
{
    return root + QStringLiteral("/icons/hicolor/%1x%1/apps/tinevox.png").arg(size);
}

const QList<int> IconSizes {16, 22, 24, 32, 48, 64, 128, 256};

bool cornersTransparent(const QImage& image)
{
    const int r = image.width() - 1, b = image.height() - 1;
    return qAlpha(image.pixel(0, 0)) == 0 && qAlpha(image.pixel(r, 0)) == 0 && qAlpha(image.pixel(0, b)) == 0
        && qAlpha(image.pixel(r, b)) == 0;
}

struct ColourShares {
    int opaque = 0;
    int dominant = 0; // pixels of the sign's own colour
    int white = 0;
};

template <typename IsDominant>
ColourShares shares(const QImage& image, IsDominant isDominant)
{
    ColourShares s;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) < 250)
                continue;
            ++s.opaque;
            if (isDominant(qRed(p), qGreen(p), qBlue(p)))
                ++s.dominant;
            if (qRed(p) > 235 && qGreen(p) > 235 && qBlue(p) > 235)
                ++s.white;
        }
    }
    return s;
}


// How a redrawn picture may differ from the committed one. The raster engine rounds the
// coverage of anti-aliased edges differently on different CPUs (its SIMD code paths), so
// a redraw on another machine may be off by one or two there. Allowed: at most
// EdgeRounding per channel (premultiplied, so a faint pixel's colour cannot swing), and
// only at edge pixels, whose 3x3 neighbourhood in the committed picture is not one flat
// colour. Exact: size, format, every flat area (so the transparent surround, the
// colours of the faces), and every palette picture (the skin: its four colours and its
// outline, from which the window's mask is made). Empty when acceptable, else why not.
constexpr int EdgeRounding = 2;

QString redrawDifference(const QImage& committed, const QImage& drawn)
{
    if (committed.size() != drawn.size() || committed.format() != drawn.format())
        return QStringLiteral("size or format");
    const bool exact = committed.format() == QImage::Format_Indexed8;
    const QImage a = committed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    auto flatAround = [&](int x, int y) {
        for (int v = qMax(0, y - 1); v <= qMin(a.height() - 1, y + 1); ++v)
            for (int u = qMax(0, x - 1); u <= qMin(a.width() - 1, x + 1); ++u)
                if (a.pixel(u, v) != a.pixel(x, y))
                    return false;
        return true;
    };
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (p == q)
                continue;
            const int most = qMax(qMax(qAbs(qRed(p) - qRed(q)), qAbs(qGreen(p) - qGreen(q))),
                                  qMax(qAbs(qBlue(p) - qBlue(q)), qAbs(qAlpha(p) - qAlpha(q))));
            if (exact || most > EdgeRounding || flatAround(x, y))
                return QStringLiteral("pixel %1,%2 is %3, drawn %4").arg(x).arg(y).arg(p, 8, 16, QLatin1Char('0')).arg(q, 8, 16, QLatin1Char('0'));
        }
    }
    return {};
}

} // namespace

// ---------------------------------------------------------------------------

class TestForkOutline : public QObject {
    Q_OBJECT
private slots:
    void tableEntriesAtBothEndsAndAroundTheGap()
    {
        using ForkOutline::rects;
        auto same = [](const ForkOutline::Rect& r, int l, int t, int rt, int b) {
            return r.left == l && r.top == t && r.right == rt && r.bottom == b;
        };
        QCOMPARE(rects.size(), std::size_t(158));
        QVERIFY(same(rects[0], 191, 4, 791, 5));
        QVERIFY(same(rects[49], 4, 128, 455, 130));
        QVERIFY(same(rects[105], 178, 284, 778, 285));
        QVERIFY(same(rects[106], 230, 293, 699, 294));
        QVERIFY(same(rects[143], 215, 381, 700, 382));
        QVERIFY(same(rects[157], 224, 433, 694, 434));
        QCOMPARE(ForkOutline::LowerForkFirst, std::size_t(106));
    }

    void everyRowHoldsOneRunTopToBottom()
    {
        using ForkOutline::rects;
        QCOMPARE(rects.front().top, 4);
        QCOMPARE(rects.back().bottom, 434);
        for (std::size_t i = 0; i < rects.size(); ++i) {
            const auto& r = rects[i];
            QVERIFY2(r.left < r.right && r.top < r.bottom, qPrintable(QString::number(i + 1)));
            if (i == 0)
                continue;
            // Each rectangle starts on the row after the previous one ends, so no
            // row is covered twice or skipped, except the white rows between the forks.
            const int expectedTop = i == ForkOutline::LowerForkFirst ? 293 : rects[i - 1].bottom;
            QVERIFY2(r.top == expectedTop, qPrintable(QStringLiteral("rectangle %1").arg(i + 1)));
        }
        QCOMPARE(rects[ForkOutline::LowerForkFirst - 1].bottom, 285);
    }

    void neighboursCannotBeMerged()
    {
        using ForkOutline::rects;
        for (std::size_t i = 1; i < rects.size(); ++i) {
            const bool touching = rects[i].top == rects[i - 1].bottom;
            const bool sameEdges = rects[i].left == rects[i - 1].left && rects[i].right == rects[i - 1].right;
            QVERIFY2(!(touching && sameEdges), qPrintable(QStringLiteral("rectangles %1 and %2").arg(i).arg(i + 1)));
        }
    }

    void tallestRectangles()
    {
        std::vector<ForkOutline::Rect> byHeight(ForkOutline::rects.begin(), ForkOutline::rects.end());
        std::stable_sort(byHeight.begin(), byHeight.end(), [](const auto& a, const auto& b) {
            return a.bottom - a.top > b.bottom - b.top;
        });
        QList<QPair<int, int>> tallest; // first and last row
        for (int i = 0; i < 4; ++i)
            tallest.append({byHeight[i].top, byHeight[i].bottom - 1});
        std::sort(tallest.begin(), tallest.end());
        const QList<QPair<int, int>> expected {{18, 85}, {207, 271}, {300, 337}, {395, 427}};
        QCOMPARE(tallest, expected);
        // Well clear of the next one, so the four are not a tie.
        QVERIFY(byHeight[4].bottom - byHeight[4].top < byHeight[3].bottom - byHeight[3].top);
    }

    void unionAndAreaAreTheSkinCount()
    {
        ForkOutline::Rect u = ForkOutline::rects.front();
        long area = 0;
        for (const auto& r : ForkOutline::rects) {
            u.left = std::min(u.left, r.left);
            u.top = std::min(u.top, r.top);
            u.right = std::max(u.right, r.right);
            u.bottom = std::max(u.bottom, r.bottom);
            area += long(r.right - r.left) * (r.bottom - r.top);
        }
        QCOMPARE(QList<int>({u.left, u.top, u.right, u.bottom}), QList<int>({4, 4, 791, 434}));
        QCOMPARE(area, long(OutlinePixels));
    }

    // The window's mask, and its finer shape, hold exactly the rectangles' pixels: the
    // right and bottom edges are exclusive.
    void regionsAgreeWithTheRectanglesEverywhere()
    {
        for (int scale : {1, FineForkOutline::Scale}) {
            const OutlineMask mask(scale);
            const QRegion region = scale == 1 ? ForkOutline::region() : ForkOutline::region(FineForkOutline::rects());
            for (int y = -2; y < SkinHeight * scale + 2; ++y) {
                for (int x = -2; x < SkinWidth * scale + 2; ++x) {
                    if (region.contains(QPoint(x, y)) != mask.at(x, y))
                        QFAIL(qPrintable(QStringLiteral("scale %1: (%2, %3) is wrong").arg(scale).arg(x).arg(y)));
                }
            }
        }
    }

    void fineOutlineHalvesTheStairSteps()
    {
        const OutlineMask window(1);
        const OutlineMask fine(2);
        // Each window pixel's 2 x 2 block: empty outside the outline (so Qt, which paints
        // the mask scaled by 2, paints all of the fine outline), whole inside it, but for
        // at most one corner quarter at the border.
        for (int y = 0; y < SkinHeight; ++y) {
            for (int x = 0; x < SkinWidth; ++x) {
                const int quarters = fine.at(2 * x, 2 * y) + fine.at(2 * x + 1, 2 * y) + fine.at(2 * x, 2 * y + 1)
                    + fine.at(2 * x + 1, 2 * y + 1);
                const bool expected = !window.at(x, y) ? quarters == 0
                                                       : quarters >= (window.onBorder(x, y) ? 3 : 4);
                if (!expected)
                    QFAIL(qPrintable(QStringLiteral("window pixel %1,%2 keeps %3 quarters").arg(x).arg(y).arg(quarters)));
            }
        }
        // The upper fork's top left bevel, 45 degrees, steps one device pixel per row,
        // where the window's steps are two device pixels high.
        for (int y = 8; y <= 37; ++y) {
            int left = 0;
            while (!fine.at(left, y))
                ++left;
            QVERIFY2(left == 383 - (y - 8), qPrintable(QStringLiteral("row %1 starts at %2").arg(y).arg(left)));
        }
        // Square corners stay square: the upper fork's top right, the handle's bottom left.
        QVERIFY(fine.at(1581, 8));
        QVERIFY(fine.at(8, 345));
    }
};

// ---------------------------------------------------------------------------

// The skin at the window's resolution and at twice it: the same rules, every length
// doubled.
class TestSkin : public QObject {
    Q_OBJECT

    static void atBothResolutions()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("scale");
        QTest::newRow("1x") << QStringLiteral(":/skin.png") << 1;
        QTest::newRow("2x") << QStringLiteral(":/skin@2x.png") << 2;
    }

private slots:
    void isAnEightBitPaletteFileOfTheWindowSize_data() { atBothResolutions(); }
    void isAnEightBitPaletteFileOfTheWindowSize()
    {
        QFETCH(QString, path);
        QFETCH(int, scale);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray head = file.read(26);
        QCOMPARE(head.mid(12, 4), QByteArray("IHDR"));
        QCOMPARE(int(uchar(head[24])), 8); // bit depth
        QCOMPARE(int(uchar(head[25])), 3); // colour type: palette

        const QImage skin = loadResource(path);
        QCOMPARE(skin.size(), QSize(SkinWidth, SkinHeight) * scale);
        QCOMPARE(skin.format(), QImage::Format_Indexed8);
    }

    void usesExactlyTheFourColours_data() { atBothResolutions(); }
    void usesExactlyTheFourColours()
    {
        QFETCH(QString, path);
        const QImage skin = loadResource(path);
        QCOMPARE(skin.colorCount(), 4);
        QSet<QRgb> palette;
        for (QRgb c : skin.colorTable())
            palette.insert(c | 0xFF000000u);
        QCOMPARE(palette, QSet<QRgb>({White, Face, Depth, Black}));

        QSet<QRgb> used;
        for (int y = 0; y < skin.height(); ++y)
            for (int x = 0; x < skin.width(); ++x)
                used.insert(skin.pixel(x, y) | 0xFF000000u);
        QCOMPARE(used, palette);
    }

    void forkPixelsAreExactlyTheOutline_data() { atBothResolutions(); }
    void forkPixelsAreExactlyTheOutline()
    {
        QFETCH(QString, path);
        QFETCH(int, scale);
        const QImage skin = loadResource(path);
        const OutlineMask mask(scale);
        QCOMPARE(skin.size(), QSize(mask.width, mask.height));
        int fork = 0;
        int outline = 0;
        for (int y = 0; y < mask.height; ++y) {
            for (int x = 0; x < mask.width; ++x) {
                const bool isFork = (skin.pixel(x, y) | 0xFF000000u) != White;
                if (isFork != mask.at(x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3 but the outline says %4")
                                         .arg(x).arg(y)
                                         .arg(isFork ? "fork" : "white", mask.at(x, y) ? "fork" : "white")));
                fork += isFork;
                outline += mask.at(x, y);
            }
        }
        QCOMPARE(fork, outline);
        if (scale == 1)
            QCOMPARE(fork, OutlinePixels);
    }

    void outlinedAndInRelief_data() { atBothResolutions(); }
    void outlinedAndInRelief()
    {
        QFETCH(QString, path);
        QFETCH(int, scale);
        const QImage skin = loadResource(path);
        const OutlineMask mask(scale);
        auto colour = [&](int x, int y) { return skin.pixel(x, y) | 0xFF000000u; };
        // Every fork pixel on the border of the outline is black: a line one window pixel wide.
        for (int y = 0; y < mask.height; ++y)
            for (int x = 0; x < mask.width; ++x)
                if (mask.at(x, y) && mask.onBorder(x, y))
                    QVERIFY2(colour(x, y) == Black, qPrintable(QStringLiteral("border pixel %1,%2").arg(x).arg(y)));
        // Dark top faces along the top edges, dark end faces at the tine ends, face grey
        // between (window pixels: the whole block of device pixels).
        const struct {
            int x, y;
            QRgb expected;
        } probes[] {
            {500, 10, Depth}, {300, 16, Depth}, {100, 120, Depth}, // upper fork: body top, handle top
            {785, 50, Depth}, {785, 240, Depth},                   // upper fork: tine ends
            {500, 297, Depth}, {697, 320, Depth}, {697, 410, Depth}, // lower fork
            {500, 50, Face}, {300, 240, Face}, {50, 150, Face}, {400, 420, Face}, {600, 310, Face},
        };
        for (const auto& p : probes)
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx)
                    QVERIFY2(colour(p.x * scale + dx, p.y * scale + dy) == p.expected,
                             qPrintable(QStringLiteral("pixel %1,%2").arg(p.x).arg(p.y)));
        // The dark faces are about 14 px deep on the upper fork: column 500 from row 4 down.
        int firstFace = 4 * scale;
        while (colour(500 * scale, firstFace) != Face)
            ++firstFace;
        QVERIFY2(firstFace >= 16 * scale && firstFace <= 20 * scale, qPrintable(QString::number(firstFace)));
    }

    // Every control of the main window sits on plain face grey (x, y, width, height).
    void controlsSitOnTheFace_data()
    {
        QTest::addColumn<QRect>("place");
        const struct {
            const char* name;
            QRect place;
        } controls[] {
            {"Frame1", {198, 105, 58, 91}},  {"Command9", {735, 21, 19, 19}},  {"Command7", {270, 390, 52, 18}},
            {"Command8", {323, 390, 52, 18}}, {"Text2", {270, 324, 103, 65}},   {"Command5", {756, 21, 19, 19}},
            {"Command1", {333, 219, 94, 55}}, {"Command2", {231, 219, 94, 55}}, {"Text1", {267, 105, 103, 65}},
            {"Command3", {320, 171, 52, 18}}, {"Command4", {267, 171, 52, 18}}, {"Slider1", {501, 216, 238, 42}},
            {"Label9", {282, 20, 37, 15}},    {"Label11", {267, 411, 112, 16}}, {"Label6", {264, 192, 112, 16}},
            {"Label4", {183, 20, 43, 15}},    {"Label2", {621, 81, 76, 16}},    {"Image2", {282, 36, 103, 52}},
            {"Label8", {378, 336, 70, 34}},   {"Label7", {579, 201, 76, 13}},   {"Label3", {228, 20, 52, 15}},
            {"Label5", {375, 120, 70, 34}},   {"Label1", {384, 36, 241, 49}},
        };
        for (const auto& c : controls)
            QTest::newRow(c.name) << c.place;
    }
    void controlsSitOnTheFace()
    {
        QFETCH(QRect, place);
        for (int scale : {1, 2}) {
            const QImage skin = loadResource(scale == 1 ? QStringLiteral(":/skin.png") : QStringLiteral(":/skin@2x.png"));
            const QRect onSkin(place.topLeft() * scale, place.size() * scale);
            for (int y = onSkin.top(); y <= onSkin.bottom(); ++y)
                for (int x = onSkin.left(); x <= onSkin.right(); ++x)
                    QVERIFY2((skin.pixel(x, y) | 0xFF000000u) == Face,
                             qPrintable(QStringLiteral("pixel %1,%2 at scale %3").arg(x).arg(y).arg(scale)));
        }
    }
};

// ---------------------------------------------------------------------------

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void compiledInSizesWithTransparentCorners_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("go") << QStringLiteral(":/go.png") << QSize(50, 53);
        QTest::newRow("stop") << QStringLiteral(":/stop.png") << QSize(53, 54);
        QTest::newRow("radargun") << QStringLiteral(":/radargun.png") << QSize(103, 52);
        QTest::newRow("icon") << QStringLiteral(":/icon-32.png") << QSize(32, 32);
    }
    void compiledInSizesWithTransparentCorners()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage image = loadResource(path);
        QCOMPARE(image.size(), size);
        QVERIFY(image.hasAlphaChannel());
        QVERIFY(cornersTransparent(image));
    }

    // Each picture has an @2x file, for screens with a device pixel ratio of 2:
    // the same drawing at twice the size, drawn anew rather than scaled up.
    void drawnAgainAtTwiceTheSize_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"skin", "go", "stop", "radargun"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void drawnAgainAtTwiceTheSize()
    {
        QFETCH(QString, name);
        const QImage single = loadResource(QStringLiteral(":/%1.png").arg(name));
        const QImage doubled = loadResource(QStringLiteral(":/%1@2x.png").arg(name));
        QCOMPARE(doubled.size(), single.size() * 2);
        QCOMPARE(doubled.format(), single.format());
        QCOMPARE(doubled.devicePixelRatio(), 2.0); // Qt's reading of the name
        if (single.format() == QImage::Format_Indexed8)
            return; // the skin: its outline and faces in TestSkin

        QVERIFY(cornersTransparent(doubled));
        // The same picture in the same place: each 2 x 2 block, averaged, is close to
        // the pixel it stands for (off by a device pixel, the mean error passes 4).
        qint64 difference = 0;
        qint64 translucentSingle = 0;
        qint64 translucentDoubled = 0;
        auto translucent = [](QRgb p) { return qAlpha(p) > 0 && qAlpha(p) < 255; };
        for (int y = 0; y < single.height(); ++y) {
            for (int x = 0; x < single.width(); ++x) {
                const QRgb block[] {doubled.pixel(2 * x, 2 * y), doubled.pixel(2 * x + 1, 2 * y),
                                    doubled.pixel(2 * x, 2 * y + 1), doubled.pixel(2 * x + 1, 2 * y + 1)};
                int alpha = 0;
                for (QRgb p : block) {
                    alpha += qAlpha(p);
                    translucentDoubled += translucent(p);
                }
                difference += qAbs(alpha / 4 - qAlpha(single.pixel(x, y)));
                translucentSingle += translucent(single.pixel(x, y));
            }
        }
        const qint64 pixels = qint64(single.width()) * single.height();
        QVERIFY2(difference < pixels * 3, qPrintable(QStringLiteral("%1 per pixel").arg(double(difference) / pixels)));
        // Its edges are one device pixel wide, as sharp as the single picture's, so the
        // translucent edge pixels about double with the outline's length; a picture
        // scaled up would have four times as many.
        QVERIFY2(translucentDoubled < translucentSingle * 3,
                 qPrintable(QStringLiteral("%1 against %2").arg(translucentDoubled).arg(translucentSingle)));
    }

    // The windows' icon: every desktop size, each the drawing for that size.
    void programIconOffersEveryDesktopSize()
    {
        const QIcon icon = Assets::programIcon();
        QList<QSize> sizes;
        for (int size : IconSizes)
            sizes << QSize(size, size);
        QCOMPARE(icon.availableSizes(), sizes);
        for (int size : IconSizes)
            QCOMPARE(icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32),
                     QImage(hicolorIcon(QStringLiteral(TINEVOX_ASSETS_DIR), size)).convertToFormat(QImage::Format_ARGB32));
    }

    void goIsMostlyGreenWithWhiteLettering()
    {
        const QImage go = loadResource(QStringLiteral(":/go.png"));
        const ColourShares s = shares(go, [](int r, int g, int b) { return g > r + 40 && g > b + 40; });
        QVERIFY2(s.opaque > 50 * 53 / 2, qPrintable(QString::number(s.opaque))); // a disc, not a dot
        QVERIFY2(s.dominant > s.opaque * 6 / 10, qPrintable(QStringLiteral("%1 of %2").arg(s.dominant).arg(s.opaque)));
        QVERIFY2(s.white > 60, qPrintable(QString::number(s.white)));
    }

    void stopIsMostlyRedWithWhiteLettering()
    {
        const QImage stop = loadResource(QStringLiteral(":/stop.png"));
        const ColourShares s = shares(stop, [](int r, int g, int b) { return r > g + 60 && r > b + 60; });
        QVERIFY2(s.opaque > 53 * 54 * 2 / 3, qPrintable(QString::number(s.opaque))); // it fills its box
        // Eight straight sides: the left and top sides touch the box along a
        // stretch of some 20 px, where a disc would touch it at a point.
        int leftSide = 0, topSide = 0;
        for (int y = 0; y < stop.height(); ++y)
            leftSide += qAlpha(stop.pixel(1, y)) >= 128;
        for (int x = 0; x < stop.width(); ++x)
            topSide += qAlpha(stop.pixel(x, 1)) >= 128;
        QVERIFY2(leftSide >= 18 && leftSide <= 26, qPrintable(QString::number(leftSide)));
        QVERIFY2(topSide >= 18 && topSide <= 26, qPrintable(QString::number(topSide)));
        QVERIFY2(s.dominant > s.opaque * 6 / 10, qPrintable(QStringLiteral("%1 of %2").arg(s.dominant).arg(s.opaque)));
        QVERIFY2(s.white > 100, qPrintable(QString::number(s.white)));
    }

    void radarGunIsBlackWithThreeWavesAtTheMuzzle()
    {
        const QImage gun = loadResource(QStringLiteral(":/radargun.png"));
        int opaque = 0;
        for (int y = 0; y < gun.height(); ++y) {
            for (int x = 0; x < gun.width(); ++x) {
                const QRgb p = gun.pixel(x, y);
                if (qAlpha(p) == 0)
                    continue;
                ++opaque;
                QVERIFY2(qRed(p) < 30 && qGreen(p) < 30 && qBlue(p) < 30, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        }
        QVERIFY(opaque > 600);
        // Along the barrel's axis, right of the muzzle: three separate wave lines.
        int runs = 0;
        bool inRun = false;
        for (int x = 67; x < gun.width(); ++x) {
            const bool on = qAlpha(gun.pixel(x, 19)) > 128;
            runs += on && !inRun;
            inRun = on;
        }
        QCOMPARE(runs, 3);
        // The grip hangs under the back half: nothing low down on the right.
        for (int y = 40; y < gun.height(); ++y)
            for (int x = 52; x < gun.width(); ++x)
                QVERIFY(qAlpha(gun.pixel(x, y)) == 0);
    }

    void desktopIconsAtEverySize()
    {
        for (int size : IconSizes) {
            const QString path = hicolorIcon(QStringLiteral(TINEVOX_ASSETS_DIR), size);
            const QImage icon(path);
            QVERIFY2(!icon.isNull(), qPrintable(path));
            QCOMPARE(icon.size(), QSize(size, size));
            QVERIFY(cornersTransparent(icon));
            // A fork lying from upper left to lower right leaves the other two
            // corners' quarters empty, and its two tines make the upper-left half heavier.
            int upperLeft = 0, lowerRight = 0, offDiagonal = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const int alpha = qAlpha(icon.pixel(x, y));
                    if ((x > size * 3 / 4 && y < size / 4) || (x < size / 4 && y > size * 3 / 4))
                        offDiagonal += alpha;
                    (x + y < size ? upperLeft : lowerRight) += alpha;
                }
            }
            QVERIFY2(offDiagonal == 0, qPrintable(QString::number(size)));
            QVERIFY2(upperLeft > lowerRight * 11 / 10, qPrintable(QStringLiteral("%1: %2 / %3").arg(size).arg(upperLeft).arg(lowerRight)));
        }
        // The compiled-in icon is the 32 px desktop icon.
        QCOMPARE(loadResource(QStringLiteral(":/icon-32.png")).convertToFormat(QImage::Format_ARGB32),
                 QImage(hicolorIcon(QStringLiteral(TINEVOX_ASSETS_DIR), 32)).convertToFormat(QImage::Format_ARGB32));
    }
};

// ---------------------------------------------------------------------------

// The committed pictures are what the drawing tool makes now.
class TestAssetsAreRedrawn : public QObject {
    Q_OBJECT
private slots:
    void toolReproducesEveryCommittedPicture()
    {
        QTemporaryDir out(TestEnvironment::scratchRoot() + QStringLiteral("/drawn-XXXXXX"));
        QVERIFY(out.isValid());
        QProcess tool;
        tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        tool.start(QStringLiteral(TINEVOX_DRAW_ASSETS), {out.path()});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);

        QStringList drawn;
        QDirIterator it(out.path(), {QStringLiteral("*.png")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            drawn << it.next().mid(out.path().size() + 1);
        drawn.sort();
        QStringList expected {QStringLiteral("go.png"), QStringLiteral("go@2x.png"), QStringLiteral("icon-32.png"),
                              QStringLiteral("radargun.png"), QStringLiteral("radargun@2x.png"), QStringLiteral("skin.png"),
                              QStringLiteral("skin@2x.png"), QStringLiteral("stop.png"), QStringLiteral("stop@2x.png")};
        for (int size : IconSizes)
            expected << hicolorIcon(QString(), size).mid(1);
        expected.sort();
        QCOMPARE(drawn, expected);

        for (const QString& name : drawn) {
            const QString committed = QStringLiteral(TINEVOX_ASSETS_DIR "/") + name;
            const QImage a(committed);
            const QImage b(out.filePath(name));
            QVERIFY2(!a.isNull(), qPrintable(committed));
            const QString difference = redrawDifference(a, b);
            QVERIFY2(difference.isEmpty(),
                     qPrintable(name + QStringLiteral(" differs from its drawing (%1); run ninja redraw_assets").arg(difference)));
            // What is compiled in is the committed file.
            if (!name.contains(QLatin1Char('/')))
                QCOMPARE(TestEnvironment::readAll(QStringLiteral(":/") + name), TestEnvironment::readAll(committed));
        }
    }
};

// What the redraw check lets through: only rounding at anti-aliased edges.
class TestRedrawTolerance : public QObject {
    Q_OBJECT

    // A sign's edge: opaque green left of column 4, half covered at 4, clear beyond.
    static QImage edge()
    {
        QImage picture(8, 8, QImage::Format_ARGB32);
        picture.fill(Qt::transparent);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 4; ++x)
                picture.setPixel(x, y, qRgba(0, 160, 0, 255));
            picture.setPixel(4, y, qRgba(0, 160, 0, 128));
        }
        return picture;
    }
    static QImage edgeWith(int x, int y, QRgb colour)
    {
        QImage picture = edge();
        picture.setPixel(x, y, colour);
        return picture;
    }

private slots:
    void redrawDifference_data()
    {
        QTest::addColumn<QImage>("drawn");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("same") << edge() << true;
        QTest::newRow("edge off by 2") << edgeWith(4, 3, qRgba(0, 160, 0, 130)) << true;
        QTest::newRow("beside the edge off by 2") << edgeWith(3, 3, qRgba(0, 158, 0, 255)) << true;
        QTest::newRow("edge off by 3") << edgeWith(4, 3, qRgba(0, 160, 0, 131)) << false;
        QTest::newRow("flat face off by 1") << edgeWith(1, 3, qRgba(0, 161, 0, 255)) << false;
        QTest::newRow("flat surround off by 1") << edgeWith(7, 3, qRgba(0, 0, 0, 1)) << false;
        QTest::newRow("format") << edge().convertToFormat(QImage::Format_ARGB32_Premultiplied) << false;
        QTest::newRow("size") << edge().copy(0, 0, 8, 7) << false;
    }
    void redrawDifference()
    {
        QFETCH(QImage, drawn);
        QFETCH(bool, accepted);
        QCOMPARE(::redrawDifference(edge(), drawn).isEmpty(), accepted);
    }

    // The skin is a palette picture: exact even at its edges.
    void paletteEdgesAreExact()
    {
        QImage skin(4, 4, QImage::Format_Indexed8);
        skin.setColorTable({qRgb(132, 132, 132), qRgb(134, 134, 134)});
        skin.fill(0);
        QImage redrawn = skin.copy();
        redrawn.setPixel(1, 1, 1);
        QVERIFY(!::redrawDifference(skin, redrawn).isEmpty());
    }
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    return TestEnvironment::runAll<TestForkOutline, TestSkin, TestPictures, TestAssetsAreRedrawn, TestRedrawTolerance>(argc, argv);
}

#include "test_assets.moc"
