// Band, GO and STOP, the mode as the window's height, and the frequency readout.

#include "mainwindow/ForkWindow.h"
#include "mainwindow/SpeedEntry.h"
#include "mainwindow/StoredToneRequest.h"
#include "mainwindow/ToneProgressDialog.h"
#include "settings/SettingsKeys.h"
#include "widgets/Twips.h"
#include "tone/DopplerModel.h"
#include "tone/ToneError.h"

#include <QMessageBox>
#include <QRadioButton>

std::optional<Doppler::Band> ForkWindow::selectedBand() const
{
    for (Doppler::Band band : Doppler::Bands) {
        if (buttonOfBand(band)->isChecked())
            return band;
    }
    return std::nullopt;
}

QString ForkWindow::firstSpeed() const
{
    return firstEntry->text();
}

QString ForkWindow::secondSpeed() const
{
    return secondEntry->text();
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

ToneRequest ForkWindow::toneRequest() const
{
    ToneRequest request;
    request.band = selectedBand();
    request.firstSpeed = firstSpeed();
    request.secondSpeed = secondSpeed();
    request.moving = isMovingMode();
    return withStoredSettings(std::move(request));
}

void ForkWindow::showFrequencies()
{
    showFrequenciesOf(toneRequest());
}

void ForkWindow::showFrequenciesOf(const ToneRequest& request)
{
    firstEntry->showFrequency(Doppler::toneFrequency(request, WhichTone::First));
    secondEntry->showFrequency(Doppler::toneFrequency(request, WhichTone::Second));
}

void ForkWindow::onGoClicked()
{
    if (isTonePlaying())
        return; // a second GO does nothing
    // The settings stored now may differ from those the window last showed: the readouts
    // and the units name the tone about to be heard.
    const ToneRequest request = toneRequest();
    showFrequenciesOf(request);
    setUnitCaptions(request.milesPerHour ? Settings::MphCaption : Settings::KphCaption);
    lockSpeedEntry();
    if (!progressDialog) {
        progressDialog = std::make_unique<ToneProgressDialog>(this);
        connect(&playback.writer(), &ToneFileWriter::progressed, progressDialog.get(), &ToneProgressDialog::showProgress);
        connect(&playback.writer(), &ToneFileWriter::fileFinished, progressDialog.get(), &ToneProgressDialog::finishFile);
        // As STOP, but no companion window is asked to close: none of this playback's runs yet.
        connect(progressDialog.get(), &ToneProgressDialog::cancelled, this, [this] {
            playback.stop(false);
            lockSpeedEntry(false);
        });
    }
    playback.playTone(request);
}

void ForkWindow::onToneFailed(const ToneError& error)
{
    // Nothing plays and no tone file is left: say what to change, and let the user
    // change it.
    lockSpeedEntry(false);
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tinevox"), error.message(), QMessageBox::Ok, this);
    // The message quotes stored and typed texts, which are never markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void ForkWindow::onStopClicked()
{
    playback.stop(isMovingMode());
    lockSpeedEntry(false);
}
