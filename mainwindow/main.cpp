#include "mainwindow/PreviewWindow.h"
#include "platform/SingleInstance.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const Platform::SingleInstance instance(QStringLiteral("tinevox"));
    if (instance.anotherInstanceRuns())
        return 0;
    PreviewWindow window;
    window.show();
    return QApplication::exec();
}
