#include "mainwindow/MainMenus.h"

#include "mainwindow/AboutDialog.h"
#include "platform/DocumentOpener.h"

#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

namespace {

// An entry under its designed name, as the window's controls have.
QAction* entry(QMenu* menu, const char* name, const QString& text)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

MainMenus::MainMenus(QWidget* owner, const QString& applicationDirectory)
    : QWidget(nullptr), owner(owner), appDir(applicationDirectory)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tinevox"));

    modeMenu = new QMenu(QStringLiteral("&Mode"), this);
    modeMenu->setObjectName(QStringLiteral("mnuMode"));
    stationaryAction = entry(modeMenu, "mnuStationary", QStringLiteral("&Stationary"));
    movingAction = entry(modeMenu, "mnuMoving", QStringLiteral("&Moving"));
    stationaryAction->setCheckable(true);
    movingAction->setCheckable(true);
    stationaryAction->setChecked(true);

    helpMenu = new QMenu(QStringLiteral("&Help"), this);
    helpMenu->setObjectName(QStringLiteral("mnuHelp"));
    readMeAction = entry(helpMenu, "mnuHelpContents", QStringLiteral("&ReadMe"));
    aboutAction = entry(helpMenu, "mnuAbout", QStringLiteral("&About"));

    for (bool moving : {false, true}) {
        connect(moving ? movingAction : stationaryAction, &QAction::triggered, this, [this, moving] {
            showMode(moving);
            emit modeChosen(moving);
        });
    }
    connect(readMeAction, &QAction::triggered, this, &MainMenus::onReadMeChosen);
    connect(aboutAction, &QAction::triggered, this, [this] { AboutDialog(this->owner).exec(); });
}

void MainMenus::showMode(bool moving)
{
    movingAction->setChecked(moving);
    stationaryAction->setChecked(!moving);
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
