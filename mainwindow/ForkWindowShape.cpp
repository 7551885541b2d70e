// The window's outline, its face, dragging it by the face, the close and minimise
// buttons.

#include "mainwindow/FineForkOutline.h"
#include "mainwindow/ForkOutline.h"
#include "mainwindow/ForkWindow.h"
#include "platform/NativeWindowShape.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QTransform>
#include <QWindow>

namespace {

void putLong(QByteArray& buffer, qsizetype offset, qint32 value)
{
    const auto bits = static_cast<quint32>(value);
    for (int i = 0; i < 4; ++i)
        buffer[offset + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

qint32 getLong(const QByteArray& buffer, qsizetype offset)
{
    quint32 bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<quint32>(static_cast<unsigned char>(buffer[offset + i])) << (8 * i);
    return static_cast<qint32>(bits);
}

// A region from a rectangle-list buffer: header, bounding rectangle, rectangles with
// exclusive right and bottom edges.
QRegion regionFromData(const QByteArray& data)
{
    QRegion region;
    if (data.size() < 32)
        return region;
    const qint32 headerSize = getLong(data, 0);
    const qint32 count = getLong(data, 8);
    for (qint32 i = 0; i < count; ++i) {
        const qsizetype at = headerSize + static_cast<qsizetype>(i) * 16;
        if (at + 16 > data.size())
            break;
        const qint32 left = getLong(data, at);
        const qint32 top = getLong(data, at + 4);
        const qint32 right = getLong(data, at + 8);
        const qint32 bottom = getLong(data, at + 12);
        region += QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    }
    return region;
}

} // namespace

void ForkWindow::fillOutlineRegion()
{
    const auto& rects = ForkOutline::rects;
    putLong(outline, 0, 32);
    putLong(outline, 4, 1);
    putLong(outline, 8, static_cast<qint32>(rects.size()));
    putLong(outline, 12, static_cast<qint32>(rects.size() * 16));
    putLong(outline, 16, ForkOutline::bounds.left);
    putLong(outline, 20, ForkOutline::bounds.top);
    putLong(outline, 24, ForkOutline::bounds.right);
    putLong(outline, 28, ForkOutline::bounds.bottom);
    qsizetype at = 32;
    for (const ForkOutline::Rect& r : rects) {
        putLong(outline, at, r.left);
        putLong(outline, at + 4, r.top);
        putLong(outline, at + 8, r.right);
        putLong(outline, at + 12, r.bottom);
        at += 16;
    }
}

void ForkWindow::applyShape()
{
    outline = QByteArray(OutlineRegionSize, '\0');
    fillOutlineRegion();
    setMask(regionFromData(outline));
}

QRegion ForkWindow::outlineInDevicePixels(qreal devicePixelRatio) const
{
    if (devicePixelRatio == 1.0)
        return mask();
    QRegion fine;
    for (const ForkOutline::Rect& r : FineForkOutline::rects())
        fine += QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
    const qreal scale = devicePixelRatio / FineForkOutline::Scale;
    return scale == 1.0 ? fine : QTransform::fromScale(scale, scale).map(fine);
}

// Qt scales the mask up rectangle by rectangle; where the window system takes a
// shape in device pixels, the outline is set again at the screen's own resolution,
// to match the skin drawn for it. Again whenever the window changes screens.
void ForkWindow::applyDeviceShape()
{
    QWindow* window = windowHandle();
    if (!window || mask().isEmpty())
        return;
    Platform::setNativeShape(window, outlineInDevicePixels(window->devicePixelRatio()));
}

void ForkWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (QWindow* window = windowHandle())
        connect(window, &QWindow::screenChanged, this, &ForkWindow::applyDeviceShape, Qt::UniqueConnection);
    applyDeviceShape();
}

void ForkWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, skin);
}

// Drag by the face, the radar-gun picture or the title, with any mouse button; a
// press on any other control does not move the window.
void ForkWindow::mousePressEvent(QMouseEvent* event)
{
    QWidget* under = childAt(event->position().toPoint());
    if (under && under != radarGunPicture && under != titleLabel)
        return;
    if (movingByHand)
        return; // a second button during a drag changes nothing
    startDrag(event->button(), event->globalPosition());
}

// The window manager's move ends only on the release of the left button (openbox
// keeps the window on the pointer after a right-button move), so only the left button
// hands the move over; any other button, and a desktop whose window manager does not
// move windows, moves the window here for as long as that button is held.
void ForkWindow::startDrag(Qt::MouseButton button, const QPointF& globalPosition)
{
    if (button == Qt::LeftButton) {
        if (QWindow* window = windowHandle(); window && window->startSystemMove())
            return;
    }
    movingByHand = true;
    dragButton = button;
    grabOffset = globalPosition.toPoint() - pos();
    grabMouse();
}

void ForkWindow::endDrag()
{
    movingByHand = false;
    dragButton = Qt::NoButton;
    releaseMouse();
}

void ForkWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!movingByHand)
        return;
    // A release that never reached the window (another program took the pointer) ends
    // the move too: the window never follows a pointer whose button is up.
    if (!(event->buttons() & dragButton)) {
        endDrag();
        return;
    }
    move(event->globalPosition().toPoint() - grabOffset);
}

void ForkWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (movingByHand && event->button() == dragButton)
        endDrag();
}

void ForkWindow::onCloseClicked()
{
    close();
}

void ForkWindow::onMinimiseClicked()
{
    setWindowState(windowState() | Qt::WindowMinimized);
}
