#pragma once

#include <QString>

namespace Platform {

// Top-level windows by caption, on the X display of $DISPLAY. Any X client's window
// counts, mapped or not, whatever its class, unless its process (_NET_WM_PID) runs for
// another user.

// Finds one window whose caption equals caption and posts it a close request
// (WM_DELETE_WINDOW), without waiting for it to close. Returns whether a window was
// found; when none has that caption, nothing happens. The process the window names as
// its own (_NET_WM_PID, 0 when it names none) is stored in ownerPid when one is given.
bool postCloseByCaption(const QString& caption, qint64* ownerPid = nullptr);

// Posts a close request to the window with this caption that belongs to the process
// pid and was never mapped: a window started hidden has never been framed by a window
// manager, so only the root window's own children are looked at, not the whole tree.
// Returns whether such a window was found.
bool postCloseToHiddenWindowOf(const QString& caption, qint64 pid);

// Whether an X display answers, so that a caption can be found at all: none does in a
// Wayland session without XWayland.
bool captionsReachable();

} // namespace Platform
