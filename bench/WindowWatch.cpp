#include "bench/WindowWatch.h"

#include "bench/Measure.h"

#include <QElapsedTimer>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <poll.h>

#include <cstring>

namespace Bench {

namespace {

// Windows vanish between an event and the question about them: BadWindow is expected.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

QByteArray caption(Display* display, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    QByteArray name;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 256, False,
                           XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &remaining, &data)
            == Success
        && data) {
        if (format == 8)
            name = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
        XFree(data);
    }
    if (name.isEmpty()) {
        char* legacy = nullptr;
        if (XFetchName(display, window, &legacy) && legacy) {
            name = legacy;
            XFree(legacy);
        }
    }
    return name;
}

long ownerPid(Display* display, Window window)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                           &type, &format, &count, &remaining, &data)
            == Success
        && data) {
        if (format == 32 && count == 1)
            std::memcpy(&pid, data, sizeof pid);
        XFree(data);
    }
    return pid;
}

} // namespace

WindowWatch::WindowWatch() : display(XOpenDisplay(nullptr))
{
    if (!display)
        throw Failure(QStringLiteral("no X server at DISPLAY=%1").arg(qEnvironmentVariable("DISPLAY")));
    XSetErrorHandler(&ignoreErrors);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
}

WindowWatch::~WindowWatch()
{
    XCloseDisplay(display);
}

bool WindowWatch::matches(unsigned long window, const QByteArray& wanted, qint64 pid)
{
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return false;
    return ownerPid(display, window) == pid && caption(display, window) == wanted;
}

unsigned long WindowWatch::waitForViewable(const QByteArray& wanted, qint64 pid, int timeoutMs,
                                           const std::function<bool()>& stillRunning)
{
    const Window root = DefaultRootWindow(display);
    QElapsedTimer waited, sinceCheck;
    waited.start();
    sinceCheck.start();
    bool changed = true;
    while (waited.elapsed() < timeoutMs) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            changed = true;
            if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
                // Its own mapping is reported to it alone once a window manager has
                // taken it into a frame.
                XSelectInput(display, event.xcreatewindow.window, StructureNotifyMask | PropertyChangeMask);
                created.push_back(event.xcreatewindow.window);
            }
        }
        // An event may have gone before a new window was listened to: look now and then anyway.
        if (changed || sinceCheck.elapsed() >= 20) {
            for (Window w : created) {
                if (matches(w, wanted, pid))
                    return w;
            }
            changed = false;
            sinceCheck.restart();
            if (!stillRunning())
                return 0;
        }
        pollfd fd {ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 1);
    }
    return 0;
}

void WindowWatch::askToClose(unsigned long window)
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

} // namespace Bench
