// Speed entry: the range rules, the step buttons, and freezing the entry while a tone
// plays.

#include "mainwindow/SpeedBox.h"
#include "mainwindow/frmForksB.h"
#include "settings/NumberText.h"

#include <QFrame>
#include <QPushButton>

namespace {
constexpr double UpperBound = 199;
}

void frmForksB::applyRangeRule(SpeedBox* box)
{
    if (NumberText::leadingValue(box->text()) > UpperBound)
        box->setText(QStringLiteral("199"));
    if (NumberText::leadingValue(box->text()) == 0)
        box->setText(QStringLiteral("1"));
}

void frmForksB::step(SpeedBox* box, double delta)
{
    box->setText(NumberText::plainDecimal(NumberText::leadingValue(box->text()) + delta));
    applyRangeRule(box);
}

void frmForksB::Text1_LostFocus()
{
    applyRangeRule(Text1);
}

// The second box follows the same rule, so a second tone of 0 is corrected before it
// is played.
void frmForksB::Text2_LostFocus()
{
    applyRangeRule(Text2);
}

void frmForksB::Text1_Change() { ShowFreq(); }
void frmForksB::Text2_Change() { ShowFreq(); }

void frmForksB::Command3_Click() { step(Text1, +1); }
void frmForksB::Command4_Click() { step(Text1, -1); }
void frmForksB::Command8_Click() { step(Text2, +1); }
void frmForksB::Command7_Click() { step(Text2, -1); }

void frmForksB::DisableGUI()
{
    for (QPushButton* b : {Command3, Command4, Command7, Command8})
        b->setEnabled(false);
    Frame1->setEnabled(false);
    Text1->setReadOnly(true);
    Text2->setReadOnly(true);
}

void frmForksB::EnableGUI()
{
    for (QPushButton* b : {Command3, Command4, Command7, Command8})
        b->setEnabled(true);
    Frame1->setEnabled(true);
    Text1->setReadOnly(false);
    Text2->setReadOnly(false);
}
