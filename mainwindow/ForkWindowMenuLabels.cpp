// The three labels of the top row: "Mode" and "Help" pop up their menus, "Settings"
// opens the settings dialog. None of them acts while a tone plays.

#include "mainwindow/ForkWindow.h"
#include "mainwindow/MainMenus.h"
#include "settings/SettingsDialog.h"
#include "settings/SettingsKeys.h"

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
    setUnitCaptions(Settings::unitCaption(Settings::read(Settings::Unit)));
}

// The menu opens where the mouse released the label, or under it for the keyboard.
void ForkWindow::onMenuLabelClicked(QMenu* menu, const QPoint& popupAt)
{
    if (!isTonePlaying())
        menu->exec(popupAt);
}
