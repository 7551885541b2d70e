// Module1::Main, the program's start: one instance per user, then the main window.

#include "platform/Fonts.h"
#include "mainwindow/frmForksB.h"
#include "platform/AppDirectory.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "tone/TonePlayback.h"
#include "platform/WindowSystem.h"

#include <QApplication>

namespace Module1 {

int Main(int argc, char* argv[])
{
    Platform::useX11UnlessUserChose();
    QApplication app(argc, argv);
    // A second start ends at once and silently; the running instance is not told.
    const Platform::SingleInstance instance(QStringLiteral("tinevox"));
    if (instance.anotherInstanceRuns())
        return 0;

    TonePlayback::endLeftoversOfEarlierRun(Platform::applicationDirectory());

    Fonts::installSubstitutes();
    frmForksB form(Platform::applicationDirectory());
    if (!form.Form_Load())
        return 1;
    // Ended by the system (a logout, kill, Ctrl+C): the same shut-down as a close.
    Platform::TerminationSignals endRequests;
    QObject::connect(&endRequests, &Platform::TerminationSignals::received, &form, &QWidget::close);
    form.show();
    return QApplication::exec();
}

} // namespace Module1

int main(int argc, char* argv[])
{
    return Module1::Main(argc, argv);
}
