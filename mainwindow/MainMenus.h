#pragma once

#include <QWidget>

class QAction;
class QMenu;
class ForkWindow;

// A hidden widget that owns the Mode and Help popup menus of the main
// window. The mode is the main window's height; the check marks follow it.
class MainMenus : public QWidget {
    Q_OBJECT
public:
    // The read-me file lies in applicationDirectory.
    MainMenus(ForkWindow& mainWindow, const QString& applicationDirectory);

    QMenu* modeMenu = nullptr;
    QAction* stationaryAction = nullptr;
    QAction* movingAction = nullptr;
    QMenu* helpMenu = nullptr;
    QAction* readMeAction = nullptr;
    QAction* aboutAction = nullptr;

public slots:
    void onStationaryChosen();
    void onMovingChosen();
    void onReadMeChosen();
    void onAboutChosen();

private:
    void reportReadMeNotOpened(const QString& message);

    ForkWindow& forkWindow;
    const QString appDir;
};
