#include "mainwindow/MainMenus.h"

#include "mainwindow/AboutDialog.h"
#include "mainwindow/ForkWindow.h"
#include "platform/DocumentOpener.h"
#include "platform/FileSystem.h"
#include "settings/SettingsKeys.h"

#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

MainMenus::MainMenus(ForkWindow& mainWindow, const QString& applicationDirectory)
    : QWidget(nullptr), forkWindow(mainWindow), appDir(applicationDirectory)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tinevox"));

    modeMenu = new QMenu(QStringLiteral("&Mode"), this);
    stationaryAction = modeMenu->addAction(QStringLiteral("&Stationary"));
    movingAction = modeMenu->addAction(QStringLiteral("&Moving"));
    stationaryAction->setCheckable(true);
    movingAction->setCheckable(true);
    stationaryAction->setChecked(true);

    helpMenu = new QMenu(QStringLiteral("&Help"), this);
    readMeAction = helpMenu->addAction(QStringLiteral("&ReadMe"));
    aboutAction = helpMenu->addAction(QStringLiteral("&About"));

    // The designed names, as for the window's controls.
    modeMenu->setObjectName(QStringLiteral("mnuMode"));
    stationaryAction->setObjectName(QStringLiteral("mnuStationary"));
    movingAction->setObjectName(QStringLiteral("mnuMoving"));
    helpMenu->setObjectName(QStringLiteral("mnuHelp"));
    readMeAction->setObjectName(QStringLiteral("mnuHelpContents"));
    aboutAction->setObjectName(QStringLiteral("mnuAbout"));

    connect(stationaryAction, &QAction::triggered, this, &MainMenus::onStationaryChosen);
    connect(movingAction, &QAction::triggered, this, &MainMenus::onMovingChosen);
    connect(readMeAction, &QAction::triggered, this, &MainMenus::onReadMeChosen);
    connect(aboutAction, &QAction::triggered, this, &MainMenus::onAboutChosen);
}

void MainMenus::onStationaryChosen()
{
    stationaryAction->setChecked(true);
    movingAction->setChecked(false);
    forkWindow.setHeightTwips(ForkWindow::StationaryHeightTwips);
    Settings::write(Settings::Mode, QStringLiteral("Stationary"));
}

void MainMenus::onMovingChosen()
{
    movingAction->setChecked(true);
    stationaryAction->setChecked(false);
    forkWindow.setHeightTwips(ForkWindow::MovingHeightTwips);
    Settings::write(Settings::Mode, QStringLiteral("Moving"));
}

void MainMenus::onReadMeChosen()
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
void MainMenus::reportReadMeNotOpened(const QString& message)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tinevox"), message, QMessageBox::Ok, &forkWindow);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void MainMenus::onAboutChosen()
{
    AboutDialog about(&forkWindow);
    about.exec();
}
