#pragma once

// Top-level windows of the rig's X server, followed through the events of the root
// window rather than polled, so that the moment a window becomes viewable is caught
// within a millisecond.

#include <QByteArray>

#include <functional>
#include <vector>

struct _XDisplay;

namespace Bench {

class WindowWatch {
public:
    // Connects to $DISPLAY and starts listening at once: only windows created after
    // this are seen. Throws Failure without an X server.
    WindowWatch();
    ~WindowWatch();
    WindowWatch(const WindowWatch&) = delete;
    WindowWatch& operator=(const WindowWatch&) = delete;

    // The window with exactly this caption whose _NET_WM_PID is pid, once it is
    // viewable (mapped, and its window manager's frame too). 0 when timeoutMs passed
    // first, or as soon as stillRunning() answers false.
    unsigned long waitForViewable(const QByteArray& caption, qint64 pid, int timeoutMs,
                                  const std::function<bool()>& stillRunning);

    // Posts the window the close request its title bar's X posts (WM_DELETE_WINDOW).
    void askToClose(unsigned long window);

private:
    bool matches(unsigned long window, const QByteArray& caption, qint64 pid);

    _XDisplay* display = nullptr;
    std::vector<unsigned long> created; // top-level windows created since the watch began
};

} // namespace Bench
