#include "platform/NativeWindowShape.h"

#include <QGuiApplication>
#include <QWindow>

#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

namespace Platform {

bool setNativeShape(QWindow* window, const QRegion& deviceRegion)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    // handle() first: winId() would create the native window.
    if (!window || !window->handle() || !x11 || !x11->display())
        return false;
    Display* display = x11->display();
    int eventBase = 0;
    int errorBase = 0;
    if (!XShapeQueryExtension(display, &eventBase, &errorBase))
        return false;
    std::vector<XRectangle> rectangles;
    rectangles.reserve(std::size_t(deviceRegion.rectCount()));
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
