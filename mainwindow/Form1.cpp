#include "mainwindow/Form1.h"

#include "mainwindow/frmAbout.h"
#include "mainwindow/frmForksB.h"
#include "platform/AppDirectory.h"
#include "platform/FileSystem.h"
#include "settings/SettingsKeys.h"

#include <QDesktopServices>
#include <QMenu>
#include <QUrl>

Form1::Form1(frmForksB& mainWindow) : QWidget(nullptr), main(mainWindow)
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
    const QString path = Platform::applicationDirectory() + QStringLiteral("/readme.txt");
    if (!Platform::pathExists(path))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void Form1::mnuAbout_Click()
{
    frmAbout about(&main);
    about.exec();
}
