#include "platform/WindowCaption.h"

#include <QByteArray>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

// One short-lived connection per request; no error ever reaches the caller. A window
// that disappears between listing and asking raises BadWindow, which is ignored.
class DisplayConnection {
public:
    DisplayConnection() : display(XOpenDisplay(nullptr))
    {
        if (display)
            previousHandler = XSetErrorHandler(&ignoreErrors);
    }
    ~DisplayConnection()
    {
        if (!display)
            return;
        XSync(display, False);
        XSetErrorHandler(previousHandler);
        XCloseDisplay(display);
    }
    DisplayConnection(const DisplayConnection&) = delete;
    DisplayConnection& operator=(const DisplayConnection&) = delete;

    Display* const display;

private:
    static int ignoreErrors(Display*, XErrorEvent*) { return 0; }
    int (*previousHandler)(Display*, XErrorEvent*) = nullptr;
};

// A window property of the given type and format; empty when the window has none (or
// another kind). Format-32 items come as longs, as Xlib hands them out.
QByteArray property(Display* display, Window window, const char* name, Atom wantedType, int wantedFormat)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    QByteArray value;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False, wantedType, &type,
                           &format, &count, &remaining, &data) == Success
        && data) {
        if (type == wantedType && format == wantedFormat) {
            const std::size_t itemSize = format == 32 ? sizeof(long) : static_cast<std::size_t>(format / 8);
            value = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count * itemSize));
        }
        XFree(data);
    }
    return value;
}

QByteArray utf8Name(Display* display, Window window)
{
    return property(display, window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False), 8);
}

QByteArray legacyName(Display* display, Window window)
{
    XTextProperty property {};
    QByteArray name;
    if (XGetWMName(display, window, &property) && property.value) {
        if (property.format == 8)
            name = QByteArray(reinterpret_cast<const char*>(property.value),
                              static_cast<qsizetype>(property.nitems));
        XFree(property.value);
    }
    return name;
}

// A window without a name has no caption to match; an empty caption matches nothing.
bool hasCaption(Display* display, Window window, const QByteArray& caption)
{
    const QByteArray modern = utf8Name(display, window);
    if (!modern.isEmpty())
        return modern == caption;
    return !caption.isEmpty() && legacyName(display, window) == caption;
}

std::vector<Window> childrenOf(Display* display, Window window)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count))
        return {};
    std::vector<Window> list(children, children + count);
    if (children)
        XFree(children);
    return list;
}

long windowPid(Display* display, Window window)
{
    const QByteArray pid = property(display, window, "_NET_WM_PID", XA_CARDINAL, 32);
    long value = 0;
    if (pid.size() == sizeof(long))
        std::memcpy(&value, pid.constData(), sizeof(long));
    return value;
}

// A window whose process runs for another user (two users may share one X server) is
// never counted nor closed: each user's program finds only that user's companion.
bool belongsToAnotherUser(Display* display, Window window)
{
    const long pid = windowPid(display, window);
    struct stat info {};
    return pid > 0 && ::stat(QByteArray("/proc/" + QByteArray::number(static_cast<qlonglong>(pid))).constData(), &info) == 0
        && info.st_uid != ::getuid();
}

void postClose(Display* display, Window window)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// The first window under window, depth-first, with exactly this caption; 0 when there is
// none. Under a reparenting window manager the program's own window is a child of the
// manager's frame, not of the root.
Window findInTree(Display* display, Window window, const QByteArray& caption, int depth = 0)
{
    for (Window child : childrenOf(display, window)) {
        if (hasCaption(display, child, caption) && !belongsToAnotherUser(display, child))
            return child;
        if (const Window found = depth < 8 ? findInTree(display, child, caption, depth + 1) : 0)
            return found;
    }
    return 0;
}

} // namespace

bool postCloseByCaption(const QString& caption, qint64* ownerPid)
{
    if (ownerPid)
        *ownerPid = 0;
    DisplayConnection x;
    if (!x.display)
        return false;
    const Window found = findInTree(x.display, DefaultRootWindow(x.display), caption.toUtf8());
    if (!found)
        return false;
    postClose(x.display, found);
    if (ownerPid)
        *ownerPid = windowPid(x.display, found);
    return true;
}

bool postCloseToHiddenWindowOf(const QString& caption, qint64 pid)
{
    const QByteArray wanted = caption.toUtf8();
    if (pid <= 0 || wanted.isEmpty())
        return false;
    DisplayConnection x;
    if (!x.display)
        return false;
    for (Window w : childrenOf(x.display, DefaultRootWindow(x.display))) {
        // The process first: one property of each window rather than two.
        if (windowPid(x.display, w) == pid && hasCaption(x.display, w, wanted)) {
            postClose(x.display, w);
            return true;
        }
    }
    return false;
}

bool captionsReachable()
{
    return DisplayConnection().display != nullptr;
}

} // namespace Platform
