#include "platform/WindowCaption.h"

#include <QByteArray>
#include <QFileInfo>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstring>
#include <vector>

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
            previousHandler = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
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
    XErrorHandler previousHandler = nullptr;
};

// A window property of the given type (any with AnyPropertyType) and format; empty when
// the window has none. Format-32 items come as longs, as Xlib hands them out.
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
        if ((type == wantedType || wantedType == AnyPropertyType) && format == wantedFormat) {
            const std::size_t itemSize = format == 32 ? sizeof(long) : static_cast<std::size_t>(format / 8);
            value = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count * itemSize));
        }
        XFree(data);
    }
    return value;
}

// A window without a name has no caption to match; an empty caption matches nothing.
bool hasCaption(Display* display, Window window, const QByteArray& caption)
{
    const QByteArray modern = property(display, window, "_NET_WM_NAME", XInternAtom(display, "UTF8_STRING", False), 8);
    if (!modern.isEmpty())
        return modern == caption;
    return !caption.isEmpty() && property(display, window, "WM_NAME", AnyPropertyType, 8) == caption;
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
bool ofAnotherUser(long pid)
{
    const QFileInfo process(QStringLiteral("/proc/%1").arg(pid));
    return pid > 0 && process.exists() && process.ownerId() != ::getuid();
}

// The first window under parent, depth-first down to depth more levels, with exactly this
// caption and of the process pid (with 0: of any process of this user); 0 when none is.
Window findWindow(Display* display, Window parent, const QByteArray& caption, long pid, int depth)
{
    Window root = 0;
    Window parentOfParent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &parentOfParent, &children, &count))
        return 0;
    const std::vector<Window> list(children, children + count);
    if (children)
        XFree(children);
    for (Window child : list) {
        const long owner = windowPid(display, child);
        if ((pid ? owner == pid : !ofAnotherUser(owner)) && hasCaption(display, child, caption))
            return child;
        if (const Window found = depth > 0 ? findWindow(display, child, caption, pid, depth - 1) : 0)
            return found;
    }
    return 0;
}

bool postClose(const QString& caption, long pid, int depth, qint64* ownerPid)
{
    DisplayConnection x;
    const Window window = x.display ? findWindow(x.display, DefaultRootWindow(x.display), caption.toUtf8(), pid, depth) : 0;
    if (ownerPid)
        *ownerPid = window ? windowPid(x.display, window) : 0;
    if (!window)
        return false;
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x.display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x.display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x.display, window, False, NoEventMask, &event);
    return true;
}

} // namespace

// Under a reparenting window manager a mapped window is a child of the manager's frame,
// not of the root.
bool postCloseByCaption(const QString& caption, qint64* ownerPid)
{
    return postClose(caption, 0, 8, ownerPid);
}

bool postCloseToHiddenWindowOf(const QString& caption, qint64 pid)
{
    return pid > 0 && postClose(caption, static_cast<long>(pid), 0, nullptr);
}

bool captionsReachable()
{
    return DisplayConnection().display != nullptr;
}

} // namespace Platform
