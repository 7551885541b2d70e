#pragma once

#include <QWidget>

class QAction;
class QMenu;

// A hidden widget that owns the Mode and Help popup menus of the main window. It
// shows the mode chosen in its check marks and reports it; the window takes the
// height of that mode and keeps the choice.
class MainMenus : public QWidget {
    Q_OBJECT
public:
    // The read-me file lies in applicationDirectory; its messages and About belong to
    // owner.
    MainMenus(QWidget* owner, const QString& applicationDirectory);

    // Shows the mode in the Mode menu's check marks.
    void showMode(bool moving);

    QMenu* modeMenu = nullptr;
    QAction* stationaryAction = nullptr;
    QAction* movingAction = nullptr;
    QMenu* helpMenu = nullptr;
    QAction* readMeAction = nullptr;
    QAction* aboutAction = nullptr;

signals:
    void modeChosen(bool moving);

private:
    void onReadMeChosen();
    void reportReadMeNotOpened(const QString& message);

    QWidget* const owner;
    const QString appDir;
};
