// Band, GO and STOP, the mode as the window's height, and the frequency readout.

#include "mainwindow/ForkWindow.h"
#include "mainwindow/SpeedBox.h"
#include "platform/Twips.h"
#include "settings/NumberText.h"
#include "tone/FrequencyReadout.h"
#include "tone/ToneError.h"

#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>

std::optional<Doppler::Band> ForkWindow::selectedBand() const
{
    if (bandX->isChecked())
        return Doppler::Band::X;
    if (bandK->isChecked())
        return Doppler::Band::K;
    if (bandKa->isChecked())
        return Doppler::Band::Ka;
    if (bandKu->isChecked())
        return Doppler::Band::Ku;
    return std::nullopt;
}

QString ForkWindow::firstSpeedText() const
{
    return firstSpeedBox->text();
}

QString ForkWindow::secondSpeedText() const
{
    return secondSpeedBox->text();
}

bool ForkWindow::isMovingMode() const
{
    return heightTwips == MovingHeightTwips;
}

void ForkWindow::setHeightTwips(int twips)
{
    heightTwips = twips;
    setFixedHeight(Twips::toPixels(twips));
}

void ForkWindow::showFrequencies()
{
    const double constant = Doppler::dopplerConstantFor(selectedBand());
    auto show = [&](QLabel* label, const QString& speed) {
        label->setText(FrequencyReadout::caption(Doppler::toneFrequency(constant, speed), label->fontMetrics(),
                                                 label->contentsRect().width()));
    };
    show(firstFrequencyLabel, firstSpeedBox->text());
    show(secondFrequencyLabel, secondSpeedBox->text());
}

void ForkWindow::onGoClicked()
{
    lockSpeedEntry();
    playTone();
}

void ForkWindow::playTone()
{
    try {
        if (playback.playTone() == TonePlayback::Outcome::Abandoned)
            unlockSpeedEntry();
    } catch (const ToneError& error) {
        // Nothing plays and no tone file is left: say what to change, and let the
        // user change it.
        unlockSpeedEntry();
        emit toneFailed(error.message());
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tinevox"), error.message(), QMessageBox::Ok, this);
        // The message quotes stored and typed texts, which are never markup.
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
}

void ForkWindow::onStopClicked()
{
    playback.stop();
    unlockSpeedEntry();
}
