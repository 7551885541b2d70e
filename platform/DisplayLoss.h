#pragma once

#include <functional>

namespace Platform {

// The end of the program when its display goes away under it (the X server crashed, or a
// logout ended it first). Qt's X11 plugin then calls exit(1) from inside its event
// processing, as Xlib does at a broken connection, so neither the program's close nor its
// destructors would run. While an object of this class lives, such an exit() on the GUI
// thread first runs the given shut-down there, which may make no X call (Xlib would call
// exit() again), and the program ends with status 0, as at SIGTERM. Any other exit() is
// left as it is. One object at a time, made on the GUI thread after the QApplication and
// as late as possible: a static object first used after it is gone before the shut-down.
class DisplayLoss {
public:
    explicit DisplayLoss(std::function<void()> shutDown);
    ~DisplayLoss();
    DisplayLoss(const DisplayLoss&) = delete;
    DisplayLoss& operator=(const DisplayLoss&) = delete;

private:
    std::function<void()> shutDown;
};

} // namespace Platform
