#pragma once

#include <QString>

namespace Platform {

// Top-level windows by caption, on the X display of $DISPLAY. Any X client's window
// counts, mapped or not, whatever its class, unless its process (_NET_WM_PID) runs for
// another user. A close request is WM_DELETE_WINDOW, posted without waiting for the close.

// Posts a close request to one window whose caption equals caption; false when none has
// it. The process the window names as its own (0 when none) goes to ownerPid.
bool postCloseByCaption(const QString& caption, qint64* ownerPid = nullptr);

// Posts a close request to the window with this caption of the process pid that was never
// mapped: never framed by a window manager, it is one of the root window's own children.
bool postCloseToHiddenWindowOf(const QString& caption, qint64 pid);

// Whether an X display answers at all: none does in a Wayland session without XWayland.
bool captionsReachable();

} // namespace Platform
