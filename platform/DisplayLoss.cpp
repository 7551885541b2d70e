#include "platform/DisplayLoss.h"

#include <QGuiApplication>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <unistd.h>

namespace Platform {

namespace {

// The living object's shut-down; null before, after, and once it has run.
std::atomic<const std::function<void()>*> armedShutDown {nullptr};
std::thread::id guiThread;
xcb_connection_t* qtConnection = nullptr; // Qt's connection to the display, when on X11
std::atomic<bool> connectionBroke {false};
XIOErrorHandler previousIoErrorHandler = nullptr;

// Xlib's handler of a broken connection, for every connection of the process, Qt's own
// and those that look for windows by caption; Qt's handler, called on, ends the program.
int noteBrokenConnection(Display* display)
{
    connectionBroke = true;
    return previousIoErrorHandler ? previousIoErrorHandler(display) : 0;
}

bool displayLost()
{
    return connectionBroke || (qtConnection && xcb_connection_has_error(qtConnection) != 0);
}

extern "C" void onExit()
{
    const std::function<void()>* shutDown = armedShutDown.load();
    if (!shutDown || std::this_thread::get_id() != guiThread || !displayLost())
        return;
    armedShutDown = nullptr;
    (*shutDown)();
    std::fflush(nullptr);
    // The rest of exit(), static destructors of a GUI whose display is gone, is skipped.
    ::_exit(0);
}

} // namespace

DisplayLoss::DisplayLoss(std::function<void()> shutDownAtLoss) : shutDown(std::move(shutDownAtLoss))
{
    static const bool registered = std::atexit(onExit) == 0;
    if (!registered)
        return;
    guiThread = std::this_thread::get_id();
    if (const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        qtConnection = x11->connection();
    previousIoErrorHandler = XSetIOErrorHandler(&noteBrokenConnection);
    armedShutDown = &shutDown;
}

DisplayLoss::~DisplayLoss()
{
    if (armedShutDown.load() != &shutDown)
        return;
    armedShutDown = nullptr;
    XSetIOErrorHandler(previousIoErrorHandler);
    qtConnection = nullptr;
}

} // namespace Platform
