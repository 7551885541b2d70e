// Bringing back the last run's choices at load, and keeping band and speeds at unload.

#include "mainwindow/ForkWindow.h"
#include "mainwindow/MainMenus.h"
#include "mainwindow/SpeedEntry.h"

#include <QAction>
#include <QLabel>
#include <QRadioButton>

void ForkWindow::selectBand(Doppler::Band band)
{
    // The readouts follow, as after a click on the band.
    buttonOfBand(band)->setChecked(true);
    showFrequencies();
}

bool ForkWindow::bandSelected(Doppler::Band band) const
{
    return buttonOfBand(band)->isChecked();
}

void ForkWindow::setUnitCaptions(const QString& caption)
{
    firstEntry->setUnitCaption(caption);
    secondEntry->setUnitCaption(caption);
}

// The same check marks and height as the Mode menu gives, without storing the mode.
void ForkWindow::setMoving(bool moving)
{
    menus().showMode(moving);
    setHeightTwips(moving ? MovingHeightTwips : StationaryHeightTwips);
}

// The mode chosen from the Mode menu is the window's height, and is kept.
void ForkWindow::onModeChosen(bool moving)
{
    setMoving(moving);
    MainWindowSettings::saveMode(moving);
}

void ForkWindow::setFirstSpeed(const QString& text)
{
    firstEntry->setText(text);
}

void ForkWindow::setSecondSpeed(const QString& text)
{
    secondEntry->setText(text);
}

void ForkWindow::setReadoutsVisible(bool visible)
{
    firstEntry->setReadoutVisible(visible);
    secondEntry->setReadoutVisible(visible);
}
