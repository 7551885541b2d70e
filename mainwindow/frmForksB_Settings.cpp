// Bringing back the last run's choices at load, and keeping band and speeds at unload.

#include "mainwindow/Form1.h"
#include "mainwindow/SpeedBox.h"
#include "mainwindow/frmForksB.h"

#include <QAction>
#include <QLabel>
#include <QRadioButton>

void frmForksB::LoadSettings()
{
    MainWindowSettings::load(*this);
    // A stored speed equal to the design-time text changes nothing and so refreshes
    // nothing: the readout must still name the restored tone.
    ShowFreq();
}

void frmForksB::SaveSettings()
{
    MainWindowSettings::save(*this);
}

namespace {

QRadioButton* optionFor(const frmForksB& w, RestorableWindow::Band band)
{
    switch (band) {
    case RestorableWindow::Band::X: return w.Option1;
    case RestorableWindow::Band::K: return w.Option2;
    case RestorableWindow::Band::Ka: return w.Option3;
    case RestorableWindow::Band::Ku: return w.Option4;
    }
    return nullptr;
}

} // namespace

void frmForksB::selectBand(RestorableWindow::Band band)
{
    // Setting an option's value raises its click handling, as a click would.
    QRadioButton* option = optionFor(*this, band);
    option->setChecked(true);
    ShowFreq();
}

bool frmForksB::bandSelected(RestorableWindow::Band band) const
{
    return optionFor(*this, band)->isChecked();
}

void frmForksB::setUnitCaptions(const QString& caption)
{
    Label5->setText(caption);
    Label8->setText(caption);
}

// The same check marks and height as the Mode menu gives, without storing the mode.
void frmForksB::setMoving(bool moving)
{
    menus().mnuMoving->setChecked(moving);
    menus().mnuStationary->setChecked(!moving);
    setHeightTwips(moving ? MovingHeightTwips : StationaryHeightTwips);
}

void frmForksB::setFirstSpeed(const QString& text)
{
    Text1->setText(text);
}

void frmForksB::setSecondSpeed(const QString& text)
{
    Text2->setText(text);
}

void frmForksB::setReadoutsVisible(bool visible)
{
    Label6->setVisible(visible);
    Label11->setVisible(visible);
}
