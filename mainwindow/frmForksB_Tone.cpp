// Band, GO and STOP, the mode as the window's height, and the frequency readout.

#include "mainwindow/SpeedBox.h"
#include "platform/Twips.h"
#include "mainwindow/frmForksB.h"
#include "settings/NumberText.h"
#include "tone/FrequencyReadout.h"
#include "tone/ToneError.h"

#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>

std::optional<Doppler::Band> frmForksB::selectedBand() const
{
    if (Option1->isChecked())
        return Doppler::Band::X;
    if (Option2->isChecked())
        return Doppler::Band::K;
    if (Option3->isChecked())
        return Doppler::Band::Ka;
    if (Option4->isChecked())
        return Doppler::Band::Ku;
    return std::nullopt;
}

QString frmForksB::firstSpeedText() const
{
    return Text1->text();
}

QString frmForksB::secondSpeedText() const
{
    return Text2->text();
}

bool frmForksB::MovingMode() const
{
    return height() * Twips::PerPixel == MovingHeightTwips;
}

void frmForksB::setHeightTwips(int twips)
{
    setFixedHeight(Twips::toPixels(twips));
}

void frmForksB::Option1_Click() { ShowFreq(); }
void frmForksB::Option2_Click() { ShowFreq(); }
void frmForksB::Option3_Click() { ShowFreq(); }
void frmForksB::Option4_Click() { ShowFreq(); }

void frmForksB::ShowFreq()
{
    const double constant = Doppler::dopplerConstantFor(selectedBand());
    auto show = [&](QLabel* label, const QString& speed) {
        label->setText(FrequencyReadout::caption(Doppler::toneFrequency(constant, speed), label->fontMetrics(),
                                                 label->contentsRect().width()));
    };
    show(Label6, Text1->text());
    show(Label11, Text2->text());
}

void frmForksB::Command1_Click()
{
    DisableGUI();
    Tone();
}

void frmForksB::Tone()
{
    try {
        if (playback.Tone() == TonePlayback::Outcome::Abandoned)
            EnableGUI();
    } catch (const ToneError& error) {
        // Nothing plays and no tone file is left: say what to change, and let the
        // user change it.
        EnableGUI();
        emit toneFailed(error.message());
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Tinevox"), error.message(), QMessageBox::Ok, this);
        // The message quotes stored and typed texts, which are never markup.
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
}

void frmForksB::KillOld()
{
    playback.KillOld();
}

void frmForksB::Command2_Click()
{
    playback.Stop();
    EnableGUI();
}
