#pragma once

#include <QtGlobal>

namespace Platform {

// Both programs find each other's windows by caption through the X server, whose windows
// Qt's Wayland plugin would hide: X11 (XWayland in a Wayland session) unless the user
// chose a Qt platform. Call before the QApplication is made.
inline void useX11UnlessUserChose()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

} // namespace Platform
