// The three labels of the top row: "Mode" and "Help" pop up their menus, "Settings"
// opens the settings dialog. None of them acts while a tone plays.

#include "mainwindow/ForkWindow.h"
#include "mainwindow/MainMenus.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsKeys.h"

#include <QCursor>
#include <QMenu>

void ForkWindow::onSettingsLabelClicked()
{
    if (isTonePlaying())
        return;
    {
        SettingsDialog dialog(this);
        dialog.exec();
    }
    // Whichever way it closed: bring the readout, its visibility and the unit
    // captions up to date from the store.
    showFrequencies();
    setReadoutsVisible(Settings::showFreqIsOn(Settings::read(Settings::ShowFreq)));
    setUnitCaptions(Settings::unitIsMph(Settings::read(Settings::Unit)) ? QStringLiteral("MPH") : QStringLiteral("KPH"));
}

void ForkWindow::onModeLabelClicked()
{
    if (isTonePlaying())
        return;
    mainMenus->modeMenu->exec(QCursor::pos());
}

void ForkWindow::onHelpLabelClicked()
{
    if (isTonePlaying())
        return;
    mainMenus->helpMenu->exec(QCursor::pos());
}
