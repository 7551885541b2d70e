// The three labels of the top row: "Mode" and "Help" pop up their menus, "Settings"
// opens the settings dialog. None of them acts while a tone plays.

#include "mainwindow/Form1.h"
#include "mainwindow/frmForksB.h"
#include "settings/SettingsKeys.h"
#include "settings/frmSettings.h"

#include <QCursor>
#include <QMenu>

void frmForksB::Label3_Click()
{
    if (TonePlaying())
        return;
    {
        frmSettings dialog(this);
        dialog.exec();
    }
    // Whichever way it closed: bring the readout, its visibility and the unit
    // captions up to date from the store.
    ShowFreq();
    setReadoutsVisible(Settings::showFreqIsOn(Settings::read(Settings::ShowFreq)));
    setUnitCaptions(Settings::unitIsMph(Settings::read(Settings::Unit)) ? QStringLiteral("MPH") : QStringLiteral("KPH"));
}

void frmForksB::Label4_Click()
{
    if (TonePlaying())
        return;
    menuForm->mnuMode->exec(QCursor::pos());
}

void frmForksB::Label9_Click()
{
    if (TonePlaying())
        return;
    menuForm->mnuHelp->exec(QCursor::pos());
}
