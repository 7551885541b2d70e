#pragma once

#include <QMargins>
#include <QRegion>

#include <optional>

class QWindow;

namespace Platform {

// The X11 window behind a QWindow. Nothing happens off X11, or while the native window
// does not exist yet.

// The frame the window manager put around a top-level window, as it announces it in
// _NET_FRAME_EXTENTS; nothing until it has framed the window, or without a window
// manager. Read from the X server each time: Qt's own idea of the frame may lag behind
// or be a guess.
std::optional<QMargins> windowManagerFrame(const QWindow* window);

// Sets the bounding shape of the native window to region, in device pixels from the
// window's top left corner; false where it could not (also without the SHAPE extension),
// and Qt's mask stays as it is. Qt takes a mask only in device-independent pixels and
// scales each of its rectangles, so at a ratio of 2 each step of a curved outline would
// be two pixels high.
bool setNativeShape(QWindow* window, const QRegion& deviceRegion);

} // namespace Platform
