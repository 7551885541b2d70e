#include "mainwindow/SpeedEntry.h"

#include "mainwindow/SpeedBox.h"
#include "tone/DopplerModel.h"
#include "tone/FrequencyReadout.h"
#include "tone/NumberText.h"

#include <QLabel>
#include <QPushButton>

SpeedEntry::SpeedEntry(const Controls& controls, QObject* parent) : QObject(parent), controls(controls)
{
    connect(controls.box, &QLineEdit::textChanged, this, &SpeedEntry::textChanged);
    connect(controls.box, &TypedLineEdit::focusLost, this, &SpeedEntry::keepInRange);
    connect(controls.down, &QPushButton::clicked, this, [this] { step(-1); });
    connect(controls.up, &QPushButton::clicked, this, [this] { step(+1); });
}

QString SpeedEntry::text() const
{
    return controls.box->text();
}

void SpeedEntry::setText(const QString& text)
{
    controls.box->setText(text);
}

void SpeedEntry::setLocked(bool locked)
{
    controls.down->setEnabled(!locked);
    controls.up->setEnabled(!locked);
    controls.box->setReadOnly(locked);
}

void SpeedEntry::setUnitCaption(const QString& caption)
{
    controls.unit->setText(caption);
}

void SpeedEntry::showFrequency(double frequency)
{
    QLabel* label = controls.readout;
    const int width = label->contentsRect().width();
    label->setText(FrequencyReadout::caption(
        frequency, [label, width](const QString& text) { return label->fontMetrics().horizontalAdvance(text) <= width; }));
}

void SpeedEntry::setReadoutVisible(bool visible)
{
    controls.readout->setVisible(visible);
}

void SpeedEntry::keepInRange()
{
    if (NumberText::leadingValue(text()) > Doppler::HighestSpeed)
        setText(NumberText::plainDecimal(Doppler::HighestSpeed));
    if (NumberText::leadingValue(text()) == 0)
        setText(NumberText::plainDecimal(Doppler::LowestSpeed));
}

void SpeedEntry::step(double delta)
{
    setText(NumberText::plainDecimal(NumberText::leadingValue(text()) + delta));
    keepInRange();
}
