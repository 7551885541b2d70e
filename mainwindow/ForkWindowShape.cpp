// The window's outline, its face, dragging it by the face, the close and minimise
// buttons.

#include "mainwindow/FineForkOutline.h"
#include "mainwindow/ForkOutline.h"
#include "mainwindow/ForkWindow.h"
#include "platform/NativeWindow.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QTransform>
#include <QWindow>

void ForkWindow::applyShape()
{
    setMask(ForkOutline::region());
}

QRegion ForkWindow::outlineInDevicePixels(qreal devicePixelRatio) const
{
    if (devicePixelRatio == 1.0)
        return mask();
    const QRegion fine = ForkOutline::region(FineForkOutline::rects());
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
