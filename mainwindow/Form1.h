#pragma once

#include <QWidget>

class QAction;
class QMenu;
class frmForksB;

// A form that is never shown: it owns the Mode and Help popup menus of the main
// window. The mode is the main window's height; the check marks follow it.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // The read-me file lies in applicationDirectory.
    Form1(frmForksB& mainWindow, const QString& applicationDirectory);

    QMenu* mnuMode = nullptr;
    QAction* mnuStationary = nullptr;
    QAction* mnuMoving = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpContents = nullptr;
    QAction* mnuAbout = nullptr;

public slots:
    void mnuStationary_Click();
    void mnuMoving_Click();
    void mnuHelpContents_Click();
    void mnuAbout_Click();

private:
    void reportReadMeNotOpened(const QString& message);

    frmForksB& main;
    const QString appDir;
};
