#include "mainwindow/PreviewWindow.h"

#include "platform/AppDirectory.h"
#include "tone/NumberText.h"
#include "tone/ToneError.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

PreviewWindow::PreviewWindow() : playback(*this, Platform::applicationDirectory())
{
    setWindowTitle(QStringLiteral("Tinevox"));
    band = new QComboBox(this);
    band->addItems({QStringLiteral("X"), QStringLiteral("K"), QStringLiteral("Ka"), QStringLiteral("Ku")});
    speed1 = new QLineEdit(QStringLiteral("10"), this);
    speed2 = new QLineEdit(QStringLiteral("10"), this);
    for (QLineEdit* box : {speed1, speed2}) {
        box->setMaxLength(3);
        box->setValidator(new QIntValidator(0, 999, box));
    }
    moving = new QCheckBox(QStringLiteral("Moving mode (second tone from echolet)"), this);
    readout = new QLabel(this);
    goButton = new QPushButton(QStringLiteral("GO"), this);
    stopButton = new QPushButton(QStringLiteral("STOP"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(goButton);
    buttons->addWidget(stopButton);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Band"), band);
    form->addRow(QStringLiteral("Speed"), speed1);
    form->addRow(QStringLiteral("Second speed"), speed2);
    form->addRow(moving);
    form->addRow(QStringLiteral("Tone"), readout);
    form->addRow(buttons);

    connect(goButton, &QPushButton::clicked, this, &PreviewWindow::go);
    connect(stopButton, &QPushButton::clicked, this, &PreviewWindow::stop);
    connect(band, &QComboBox::currentIndexChanged, this, &PreviewWindow::showFrequencies);
    connect(speed1, &QLineEdit::textChanged, this, &PreviewWindow::showFrequencies);
    connect(speed2, &QLineEdit::textChanged, this, &PreviewWindow::showFrequencies);
    showFrequencies();
}

std::optional<Doppler::Band> PreviewWindow::selectedBand() const
{
    return Doppler::bandFromName(band->currentText());
}

QString PreviewWindow::firstSpeedText() const
{
    return speed1->text();
}

QString PreviewWindow::secondSpeedText() const
{
    return speed2->text();
}

bool PreviewWindow::MovingMode() const
{
    return moving->isChecked();
}

void PreviewWindow::showFrequencies()
{
    const double constant = Doppler::dopplerConstantFor(selectedBand());
    auto hz = [&](const QString& speed) {
        return NumberText::wholeNumber(NumberText::roundHalfEven(Doppler::toneFrequency(constant, speed)))
            + QStringLiteral(" Hz");
    };
    readout->setText(hz(speed1->text()) + QStringLiteral(" / ") + hz(speed2->text()));
}

void PreviewWindow::setEditable(bool editable)
{
    band->setEnabled(editable);
    speed1->setReadOnly(!editable);
    speed2->setReadOnly(!editable);
    moving->setEnabled(editable);
}

void PreviewWindow::go()
{
    setEditable(false);
    try {
        if (playback.Tone() == TonePlayback::Outcome::Abandoned)
            setEditable(true);
    } catch (const ToneError& error) {
        setEditable(true);
        QMessageBox::warning(this, QStringLiteral("Tinevox"), error.message());
    }
}

void PreviewWindow::stop()
{
    playback.Stop();
    setEditable(true);
}

void PreviewWindow::closeEvent(QCloseEvent* event)
{
    playback.Unload();
    event->accept();
}
