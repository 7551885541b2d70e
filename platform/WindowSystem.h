#pragma once

// Both programs find each other's windows by caption through the X server, so they run
// on X11 (XWayland in a Wayland session) unless the user chose a Qt platform.

namespace Platform {

// Picks Qt's X11 plugin when QT_QPA_PLATFORM is unset or empty; a platform the user
// chose is left alone. Call before the QApplication is made.
void useX11UnlessUserChose();

} // namespace Platform
