#include "player/Form1.h"

#include "platform/AppDirectory.h"
#include "platform/FileSystem.h"

#include <QCloseEvent>
#include <QCoreApplication>

Form1::Form1(const QString& toneFolder) : directory(toneFolder)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Caption);
    // 3300 x 930 twips at 15 twips per pixel.
    resize(220, 62);
}

QString Form1::tonePath() const
{
    return directory.isEmpty() ? QString() : Platform::pathInDirectory(directory, ToneFile);
}

void Form1::deleteMainProgramsTone()
{
    if (!directory.isEmpty())
        Platform::deleteFileIgnoringErrors(Platform::pathInDirectory(directory, MainProgramsToneFile));
}

void Form1::Form_Load()
{
    sound.play(tonePath());
}

void Form1::KillFile()
{
    Platform::deleteFileIgnoringErrors(tonePath());
}

void Form1::Form_Unload()
{
    if (unloaded)
        return;
    unloaded = true;
    sound.stop();
    KillFile();
}

void Form1::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
    // A hidden window's close does not count as the last window closing: end here.
    QCoreApplication::quit();
}
