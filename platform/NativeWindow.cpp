#include "platform/NativeWindow.h"

#include <QGuiApplication>
#include <QWindow>

#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

namespace Platform {

namespace {

// Qt's own connection; null off X11 or before the native window exists (winId() would
// create it).
Display* displayOf(const QWindow* window)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return window && window->handle() && x11 ? x11->display() : nullptr;
}

} // namespace

std::optional<QMargins> windowManagerFrame(const QWindow* window)
{
    Display* display = displayOf(window);
    if (!display)
        return std::nullopt;
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

bool setNativeShape(QWindow* window, const QRegion& deviceRegion)
{
    Display* display = displayOf(window);
    int eventBase = 0;
    int errorBase = 0;
    if (!display || !XShapeQueryExtension(display, &eventBase, &errorBase))
        return false;
    std::vector<XRectangle> rectangles;
    for (const QRect& r : deviceRegion)
        rectangles.push_back({static_cast<short>(r.x()), static_cast<short>(r.y()), static_cast<unsigned short>(r.width()),
                              static_cast<unsigned short>(r.height())});
    // Qt's own requests for this window go out on the same connection, so this one
    // lands after the mask Qt set when it created the window.
    XShapeCombineRectangles(display, window->winId(), ShapeBounding, 0, 0, rectangles.data(), int(rectangles.size()),
                            ShapeSet, Unsorted);
    XFlush(display);
    return true;
}

} // namespace Platform
