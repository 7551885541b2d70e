#include "player/CompanionWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>

using namespace Platform::CompanionNames;

CompanionWindow::CompanionWindow(const QString& toneFolder) : directory(toneFolder)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Caption);
    // 3300 x 930 twips at 15 twips per pixel: the main window's widget helpers are not
    // this program's.
    resize(220, 62);
}

QString CompanionWindow::tonePath(const QString& name) const
{
    return directory.isEmpty() ? QString() : directory + QLatin1Char('/') + name;
}

void CompanionWindow::deleteTone(const QString& name) const
{
    if (!directory.isEmpty())
        QFile::remove(tonePath(name));
}

void CompanionWindow::load()
{
    // It plays only beside Tinevox's own tone, in moving mode: the two share the sound
    // card's range.
    sound.play(tonePath(SecondToneFile), Platform::LoopedSound::Headroom::ForTwoTones);
}

void CompanionWindow::unload()
{
    if (unloaded)
        return;
    unloaded = true;
    sound.stop();
    deleteTone(SecondToneFile);
}

void CompanionWindow::endWithoutDisplay()
{
    unload();
    sound.end();
}

void CompanionWindow::closeEvent(QCloseEvent* event)
{
    unload();
    event->accept();
    // A hidden window's close does not count as the last window closing: end here.
    QCoreApplication::quit();
}
