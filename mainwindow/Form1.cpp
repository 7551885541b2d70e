#include "mainwindow/Form1.h"

#include "mainwindow/frmAbout.h"
#include "mainwindow/frmForksB.h"
#include "platform/DocumentOpener.h"
#include "platform/FileSystem.h"
#include "settings/SettingsKeys.h"

#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

Form1::Form1(frmForksB& mainWindow, const QString& applicationDirectory)
    : QWidget(nullptr), main(mainWindow), appDir(applicationDirectory)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tinevox"));

    mnuMode = new QMenu(QStringLiteral("&Mode"), this);
    mnuStationary = mnuMode->addAction(QStringLiteral("&Stationary"));
    mnuMoving = mnuMode->addAction(QStringLiteral("&Moving"));
    mnuStationary->setCheckable(true);
    mnuMoving->setCheckable(true);
    mnuStationary->setChecked(true);

    mnuHelp = new QMenu(QStringLiteral("&Help"), this);
    mnuHelpContents = mnuHelp->addAction(QStringLiteral("&ReadMe"));
    mnuAbout = mnuHelp->addAction(QStringLiteral("&About"));

    connect(mnuStationary, &QAction::triggered, this, &Form1::mnuStationary_Click);
    connect(mnuMoving, &QAction::triggered, this, &Form1::mnuMoving_Click);
    connect(mnuHelpContents, &QAction::triggered, this, &Form1::mnuHelpContents_Click);
    connect(mnuAbout, &QAction::triggered, this, &Form1::mnuAbout_Click);
}

void Form1::mnuStationary_Click()
{
    mnuStationary->setChecked(true);
    mnuMoving->setChecked(false);
    main.setHeightTwips(frmForksB::StationaryHeightTwips);
    Settings::write(Settings::Mode, QStringLiteral("Stationary"));
}

void Form1::mnuMoving_Click()
{
    mnuMoving->setChecked(true);
    mnuStationary->setChecked(false);
    main.setHeightTwips(frmForksB::MovingHeightTwips);
    Settings::write(Settings::Mode, QStringLiteral("Moving"));
}

void Form1::mnuHelpContents_Click()
{
    const QString path = QFileInfo(appDir + QStringLiteral("/readme.txt")).absoluteFilePath();
    if (!Platform::pathExists(path)) {
        reportReadMeNotOpened(QStringLiteral("The read-me file is missing:\n%1").arg(path));
        return;
    }
    Platform::openDocument(path, this, [this, path] {
        reportReadMeNotOpened(
            QStringLiteral("No program on this desktop opens the read-me file. Any text editor shows it:\n%1").arg(path));
    });
}

// The user asked for the read-me and would otherwise see nothing happen.
void Form1::reportReadMeNotOpened(const QString& message)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tinevox"), message, QMessageBox::Ok, &main);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void Form1::mnuAbout_Click()
{
    frmAbout about(&main);
    about.exec();
}
