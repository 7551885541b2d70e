// echolet: loops the second tone of moving mode from "temp2.wav" beside itself until
// its window is asked to close. Tinevox starts it hidden; started by hand it shows its
// window, so that it can be closed.

#include "platform/AppDirectory.h"
#include "platform/ProgramLauncher.h"
#include "platform/WindowSystem.h"
#include "player/Form1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    const Platform::ShowState showState = Platform::takeStartupShowState();
    Platform::useX11UnlessUserChose();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    Form1 form(Platform::applicationDirectory());
    form.Form_Load();
    if (showState == Platform::ShowState::Hidden)
        form.winId(); // the window exists with its caption, never mapped
    else
        form.show();
    return QApplication::exec();
}
