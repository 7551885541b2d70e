#pragma once

#include <functional>

namespace Platform {

// The end of the program when its display goes away under it: the X server crashed, or a
// logout ended it before the program. Qt's X11 plugin then calls exit(1) from inside its
// event processing (as Xlib does at a broken connection), so neither the program's close
// nor its destructors would run. While an object of this class lives, such an exit() on
// the GUI thread first calls the given shut-down there, and the program then ends with
// status 0, as at a request to end (SIGTERM). The shut-down may make no X call: the
// display is gone, and Xlib would call exit() again. Any other exit() is left as it is.
// One object at a time, made on the GUI thread after the QApplication and as late as
// possible: a static object first used after it is destroyed before the shut-down runs.
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
