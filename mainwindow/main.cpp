// The program's start: one instance per user, then the main window.

#include "mainwindow/ForkWindow.h"
#include "platform/DisplayLoss.h"
#include "widgets/Fonts.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/WindowSystem.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    Platform::useX11UnlessUserChose();
    QApplication app(argc, argv);
    // A second start ends at once and silently; the running instance is not told.
    const Platform::SingleInstance instance(QStringLiteral("tinevox"));
    if (instance.anotherInstanceRuns())
        return 0;

    Fonts::installSubstitutes();
    ForkWindow window(QCoreApplication::applicationDirPath());
    if (!window.load())
        return 1;
    // Ended by the system (a logout, kill, Ctrl+C): the same shut-down as a close.
    Platform::TerminationSignals endRequests;
    QObject::connect(&endRequests, &Platform::TerminationSignals::received, &window, &ForkWindow::endAtSystemRequest);
    window.show();
    // The X server gone (it crashed, or a logout ended it first): the same shut-down
    // without the display.
    const Platform::DisplayLoss displayLoss([&window] { window.unload(ForkWindow::Ending::DisplayLost); });
    return QApplication::exec();
}
