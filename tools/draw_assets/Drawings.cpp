#include "tools/draw_assets/Drawings.h"

#include <QFont>
#include <QFontInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace Drawings {

namespace {

// ---------------------------------------------------------------------------
// Small pictures

QImage transparentCanvas(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// A picture drawn in window pixels onto a canvas of scale device pixels to each.
class ScaledPainter : public QPainter {
public:
    ScaledPainter(QImage* canvas, int scale) : QPainter(canvas)
    {
        setRenderHint(QPainter::Antialiasing);
        if (scale != 1)
            QPainter::scale(scale, scale);
    }
};

QImage finished(const QImage& canvas)
{
    return canvas.convertToFormat(QImage::Format_ARGB32);
}

// Text as an outline, centred on a point by its drawn extent.
QPainterPath centredText(const QString& text, int pixelSize, QPointF centre)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setStyleStrategy(QFont::PreferOutline);
    font.setHintingPreference(QFont::PreferNoHinting);
    if (QFontInfo(font).family() != QStringLiteral("Liberation Sans"))
        qFatal("the font Liberation Sans is not installed (fonts-liberation)");
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF box = path.boundingRect();
    return path.translated(centre - box.center());
}

QPolygonF regularPolygon(int corners, QPointF centre, double radius, double firstAngleDegrees)
{
    QPolygonF polygon;
    for (int i = 0; i < corners; ++i) {
        const double angle = (firstAngleDegrees + 360.0 * i / corners) * std::numbers::pi / 180.0;
        polygon << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    return polygon;
}

// An arc of a circle about centre, from angle -half to +half (degrees, 0 = right).
QPainterPath arc(QPointF centre, double radius, double halfDegrees)
{
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path;
    path.arcMoveTo(box, halfDegrees);
    path.arcTo(box, halfDegrees, -2 * halfDegrees);
    return path;
}

// ---------------------------------------------------------------------------
// Icon

// Proportions of the fork, in units of its width across both tines.
struct ForkProportions {
    double tine;       // thickness of one tine
    double tineLength; // from the tips to the bottom of the gap
    double stemLength;
};

// Small icons get a stubbier fork with a wider gap, so that the tines still
// read as two at 16 pixels.
ForkProportions proportionsFor(int size)
{
    if (size <= 24)
        return {0.34, 1.25, 0.95};
    if (size <= 48)
        return {0.31, 1.65, 1.25};
    return {0.29, 1.95, 1.5};
}

// A tuning fork along the x axis, tines towards -x.
QPainterPath forkShape(const ForkProportions& f)
{
    const double gap = 1.0 - 2 * f.tine;
    const double bendRadius = (f.tine + gap) / 2; // of the U's centre line
    const double stemWidth = 1.1 * f.tine;

    // The tines and the U as one thick stroke along their centre line.
    QPainterPath centreLine;
    centreLine.moveTo(0, -bendRadius);
    centreLine.lineTo(f.tineLength, -bendRadius);
    centreLine.arcTo(QRectF(f.tineLength - bendRadius, -bendRadius, 2 * bendRadius, 2 * bendRadius), 90, -180);
    centreLine.lineTo(0, bendRadius);
    QPainterPathStroker stroker;
    stroker.setWidth(f.tine);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath fork = stroker.createStroke(centreLine);

    // The stem, from inside the U's bottom to a rounded end.
    const double stemStart = f.tineLength + bendRadius;
    QPainterPath stem;
    stem.addRoundedRect(QRectF(stemStart - f.tine / 2, -stemWidth / 2, f.stemLength + f.tine / 2, stemWidth),
                        stemWidth / 2, stemWidth / 2);
    fork = fork.united(stem);
    return fork.simplified();
}

} // namespace

// ---------------------------------------------------------------------------

QImage goSign(int scale)
{
    QImage canvas = transparentCanvas(50 * scale, 53 * scale);
    ScaledPainter p(&canvas, scale);
    const QPointF centre(25.0, 26.5);
    const double radius = 24.0;

    QRadialGradient body(centre + QPointF(-7, -8), 30);
    body.setColorAt(0.0, QColor(96, 226, 102));
    body.setColorAt(0.55, QColor(30, 170, 48));
    body.setColorAt(1.0, QColor(10, 112, 28));
    p.setPen(QPen(QColor(6, 72, 18), 1.6));
    p.setBrush(body);
    p.drawEllipse(centre, radius, radius);

    const QPainterPath word = centredText(QStringLiteral("GO"), 23, centre + QPointF(0, 0.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 60, 10, 150));
    p.drawPath(word.translated(0.8, 1.0));
    p.setBrush(Qt::white);
    p.drawPath(word);
    p.end();
    return finished(canvas);
}

QImage stopSign(int scale)
{
    QImage canvas = transparentCanvas(53 * scale, 54 * scale);
    ScaledPainter p(&canvas, scale);
    const QPointF centre(26.5, 27.0);
    const double cornerRadius = 26.0 / std::cos(std::numbers::pi / 8); // flat to flat: 52 px

    p.setPen(QPen(QColor(90, 0, 0), 1.0));
    p.setBrush(Qt::white);
    p.drawPolygon(regularPolygon(8, centre, cornerRadius - 0.5, 22.5));

    QLinearGradient body(centre.x(), 2, centre.x(), 52);
    body.setColorAt(0.0, QColor(232, 40, 36));
    body.setColorAt(1.0, QColor(168, 10, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawPolygon(regularPolygon(8, centre, cornerRadius - 3.0, 22.5));

    const QPainterPath word = centredText(QStringLiteral("STOP"), 15, centre);
    p.setBrush(QColor(70, 0, 0, 150));
    p.drawPath(word.translated(0.7, 0.9));
    p.setBrush(Qt::white);
    p.drawPath(word);
    p.end();
    return finished(canvas);
}

QImage radarGun(int scale)
{
    QImage canvas = transparentCanvas(103 * scale, 52 * scale);
    ScaledPainter p(&canvas, scale);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);

    // Barrel: the antenna housing, a thick cylinder seen from the side.
    QPainterPath gun;
    gun.addRoundedRect(QRectF(15, 9, 46, 21), 4, 4);
    // Lens rim at the muzzle, a little taller than the barrel.
    gun.addRoundedRect(QRectF(57, 6, 9, 27), 2.5, 2.5);
    // Read-out housing at the back, sloping down towards the user.
    QPainterPath rear;
    rear.moveTo(17, 11);
    rear.lineTo(5, 14);
    rear.quadTo(3, 14.5, 3, 17);
    rear.lineTo(3, 25);
    rear.quadTo(3, 27, 5, 27);
    rear.lineTo(17, 28);
    rear.closeSubpath();
    gun = gun.united(rear);
    // Pistol grip, raked back.
    QPainterPath grip;
    grip.moveTo(22, 29);
    grip.lineTo(36, 29);
    grip.lineTo(31, 47.5);
    grip.quadTo(30.3, 50, 27.5, 50);
    grip.lineTo(19.5, 50);
    grip.quadTo(16.5, 50, 17.2, 47);
    grip.closeSubpath();
    gun = gun.united(grip);
    // Trigger guard: a loop in front of the grip.
    QPainterPath guard;
    guard.moveTo(35, 30);
    guard.quadTo(34.5, 39.5, 41, 38.5);
    guard.quadTo(46, 37.5, 47, 29.5);
    QPainterPathStroker guardStroke;
    guardStroke.setWidth(2.2);
    guardStroke.setCapStyle(Qt::RoundCap);
    gun = gun.united(guardStroke.createStroke(guard));
    // Trigger, curling back towards the grip.
    QPainterPath trigger;
    trigger.moveTo(38, 29.5);
    trigger.quadTo(38.5, 34.5, 41.5, 35.5);
    trigger.quadTo(40.5, 32, 41.5, 29.5);
    trigger.closeSubpath();
    gun = gun.united(trigger);
    p.drawPath(gun.simplified());

    // Three waves leaving the muzzle.
    const QPointF muzzle(66, 19.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 2.6, Qt::SolidLine, Qt::RoundCap));
    const double radii[] {9.0, 18.5, 28.0};
    const double spreads[] {40.0, 35.0, 31.0};
    for (int i = 0; i < 3; ++i)
        p.drawPath(arc(muzzle, radii[i], spreads[i]));
    p.end();
    return finished(canvas);
}

QImage icon(int size)
{
    // Tines to the upper left: the fork's -x end turned up and to the left.
    QTransform turn;
    turn.rotate(45);
    const QPainterPath turned = turn.map(forkShape(proportionsFor(size)));

    const double outlineWidth = std::max(1.0, size / 36.0);
    // Depth as on the window: the fork's back face up and to the right.
    const double depth = size >= 32 ? size / 40.0 : 0.0;
    const double margin = outlineWidth / 2 + 0.25 + depth;
    const QRectF box = turned.boundingRect();
    const double scale = (size - 2 * margin) / std::max(box.width(), box.height());
    QTransform place;
    place.translate(size / 2.0 - depth / 2, size / 2.0 + depth / 2);
    place.scale(scale, scale);
    place.translate(-box.center().x(), -box.center().y());
    const QPainterPath face = place.map(turned);

    QImage canvas = transparentCanvas(size, size);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen pen(QColor(30, 30, 30), outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);

    if (depth > 0) {
        QPainterPath swept = face;
        const int steps = std::max(2, int(std::ceil(depth * 2)));
        for (int i = 1; i <= steps; ++i) {
            const double d = depth * i / steps;
            swept = swept.united(face.translated(d, -d));
        }
        p.setBrush(QColor(66, 66, 66));
        p.drawPath(swept);
    }

    const QRectF faceBox = face.boundingRect();
    QLinearGradient light(faceBox.topRight(), faceBox.bottomLeft());
    light.setColorAt(0.0, QColor(200, 200, 200));
    light.setColorAt(0.5, QColor(160, 160, 160));
    light.setColorAt(1.0, QColor(118, 118, 118));
    p.setBrush(light);
    p.drawPath(face);
    p.end();
    return finished(canvas);
}

QList<int> iconSizes()
{
    return {16, 22, 24, 32, 48, 64, 128, 256};
}

} // namespace Drawings
