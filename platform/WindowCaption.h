#pragma once

#include <QString>

namespace Platform {

// Top-level windows by caption, on the X display of $DISPLAY. Any X client's window
// counts, mapped or not, whatever its class, unless its process (_NET_WM_PID) runs for
// another user.

// True when a window with exactly this caption exists.
bool windowWithCaptionExists(const QString& caption);

// Finds one window whose caption equals caption and posts it a close request
// (WM_DELETE_WINDOW), without waiting for it to close. Returns whether a window was
// found; when none has that caption, nothing happens.
bool postCloseByCaption(const QString& caption);

// Posts a close request to the window with this caption that belongs to the process
// pid (by its _NET_WM_PID). Returns whether such a window was found.
bool postCloseByCaptionOfProcess(const QString& caption, qint64 pid);

// How many windows carry exactly this caption.
int countWindowsWithCaption(const QString& caption);

} // namespace Platform
