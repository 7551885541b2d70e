#include "platform/WindowFrame.h"

#include <QGuiApplication>
#include <QWindow>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace Platform {

std::optional<QMargins> windowManagerFrame(const QWindow* window)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // handle() first: winId() would create the native window.
    if (!window || !window->handle() || !x11 || !x11->display())
        return std::nullopt;
    Display* display = x11->display();
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::optional<QMargins> frame;
    if (XGetWindowProperty(display, window->winId(), XInternAtom(display, "_NET_FRAME_EXTENTS", False), 0, 4, False,
                           XA_CARDINAL, &type, &format, &count, &remaining, &data) == Success
        && data) {
        if (type == XA_CARDINAL && format == 32 && count == 4) {
            const auto* extents = reinterpret_cast<const long*>(data); // format 32 comes as longs
            frame = QMargins(int(extents[0]), int(extents[2]), int(extents[1]), int(extents[3]));
        }
        XFree(data);
    }
    return frame;
}

} // namespace Platform
