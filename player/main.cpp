// echolet: loops the second tone of moving mode from "temp2.wav" in the tone folder
// until its window is asked to close. Tinevox starts it hidden and tied to itself; started
// by hand it shows its window, so that it can be closed.

#include "platform/DisplayLoss.h"
#include "platform/ProgramLauncher.h"
#include "platform/TerminationSignals.h"
#include "platform/ToneFolder.h"
#include "platform/WindowSystem.h"
#include "player/CompanionWindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    const Platform::ShowState showState = Platform::takeStartupShowState();
    Platform::useX11UnlessUserChose();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    CompanionWindow window(Platform::toneFolder(QCoreApplication::applicationDirPath()).path);
    // Ended by a signal: the same as a close. Started by Tinevox, it is told when Tinevox
    // ends; if Tinevox died without its own shut-down, its tone file is left for this
    // player to delete too (a normal shut-down has deleted it already).
    Platform::TerminationSignals endRequests {Platform::ParentEndedSignal};
    QObject::connect(&endRequests, &Platform::TerminationSignals::received, &window, [&](int signalNumber) {
        if (signalNumber == Platform::ParentEndedSignal)
            window.deleteMainProgramsTone();
        window.close();
    });
    window.load();
    if (showState == Platform::ShowState::Hidden)
        window.winId(); // the window exists with its caption, never mapped
    else
        window.show();
    // The X server gone: the same end as a close, without the display.
    const Platform::DisplayLoss displayLoss([&window] { window.endWithoutDisplay(); });
    return QApplication::exec();
}
