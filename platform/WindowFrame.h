#pragma once

#include <QMargins>

#include <optional>

class QWindow;

namespace Platform {

// The frame the window manager put around a top-level window, as it announces it in
// _NET_FRAME_EXTENTS: left, top, right, bottom. Nothing until it has framed the window,
// without a window manager, or off X11. Read from the X server each time: Qt's own idea
// of the frame may lag behind or be a guess.
std::optional<QMargins> windowManagerFrame(const QWindow* window);

} // namespace Platform
