#include "mainwindow/MainMenus.h"

#include "mainwindow/AboutDialog.h"
#include "platform/DocumentOpener.h"

#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

MainMenus::MainMenus(QWidget* owner, const QString& applicationDirectory)
    : QWidget(nullptr), owner(owner), appDir(applicationDirectory)
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

void MainMenus::showMode(bool moving)
{
    movingAction->setChecked(moving);
    stationaryAction->setChecked(!moving);
}

void MainMenus::onStationaryChosen()
{
    showMode(false);
    emit modeChosen(false);
}

void MainMenus::onMovingChosen()
{
    showMode(true);
    emit modeChosen(true);
}

void MainMenus::onReadMeChosen()
{
    const QString path = QFileInfo(appDir + QStringLiteral("/readme.txt")).absoluteFilePath();
    if (!QFileInfo::exists(path)) {
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
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tinevox"), message, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void MainMenus::onAboutChosen()
{
    AboutDialog about(owner);
    about.exec();
}
