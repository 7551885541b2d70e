// Speed entry: the range rules, the step buttons, and locking the entry while a tone
// plays.

#include "mainwindow/ForkWindow.h"
#include "mainwindow/SpeedBox.h"
#include "tone/NumberText.h"
#include "tone/DopplerModel.h"

#include "mainwindow/BandGroup.h"
#include <QPushButton>

void ForkWindow::applyRangeRule(SpeedBox* box)
{
    if (NumberText::leadingValue(box->text()) > Doppler::HighestSpeed)
        box->setText(NumberText::plainDecimal(Doppler::HighestSpeed));
    if (NumberText::leadingValue(box->text()) == 0)
        box->setText(NumberText::plainDecimal(Doppler::LowestSpeed));
}

void ForkWindow::step(SpeedBox* box, double delta)
{
    box->setText(NumberText::plainDecimal(NumberText::leadingValue(box->text()) + delta));
    applyRangeRule(box);
}

void ForkWindow::onFirstSpeedFocusLost()
{
    applyRangeRule(firstSpeedBox);
}

// The second box follows the same rule, so a second tone of 0 is corrected before it
// is played.
void ForkWindow::onSecondSpeedFocusLost()
{
    applyRangeRule(secondSpeedBox);
}

void ForkWindow::onFirstSpeedUpClicked() { step(firstSpeedBox, +1); }
void ForkWindow::onFirstSpeedDownClicked() { step(firstSpeedBox, -1); }
void ForkWindow::onSecondSpeedUpClicked() { step(secondSpeedBox, +1); }
void ForkWindow::onSecondSpeedDownClicked() { step(secondSpeedBox, -1); }

void ForkWindow::lockSpeedEntry()
{
    for (QPushButton* b : {firstSpeedUpButton, firstSpeedDownButton, secondSpeedDownButton, secondSpeedUpButton})
        b->setEnabled(false);
    bandFrame->setEnabled(false);
    firstSpeedBox->setReadOnly(true);
    secondSpeedBox->setReadOnly(true);
}

void ForkWindow::unlockSpeedEntry()
{
    for (QPushButton* b : {firstSpeedUpButton, firstSpeedDownButton, secondSpeedDownButton, secondSpeedUpButton})
        b->setEnabled(true);
    bandFrame->setEnabled(true);
    firstSpeedBox->setReadOnly(false);
    secondSpeedBox->setReadOnly(false);
}
