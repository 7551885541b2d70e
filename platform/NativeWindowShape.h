#pragma once

// A window's outline in device pixels. Qt takes a window's mask only in
// device-independent pixels (QWidget::setMask, QWindow::setMask) and scales each of
// its rectangles by the device pixel ratio, so on a screen with a ratio of 2 every
// step of a curved outline is two pixels high. The native window's own shape takes
// device pixels.

#include <QRegion>

class QWindow;

namespace Platform {

// Sets the bounding shape of the window's native window to region, in device pixels
// from the window's top left corner. Only on X11 with the SHAPE extension (there Qt's
// mask is the same kind of shape); false elsewhere or while the native window does not
// exist yet, and Qt's mask stays as it is.
bool setNativeShape(QWindow* window, const QRegion& deviceRegion);

} // namespace Platform
