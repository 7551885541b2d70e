#include "tone/PlaybackPlan.h"

#include "tone/NumberText.h"
#include "tone/DopplerModel.h"
#include "tone/RadarBands.h"
#include "tone/ToneError.h"
#include "tone/ToneRequest.h"

#include <QCoreApplication>

#include <cmath>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("TonePlayback", text);
}

// A stored text as a message quotes it: a line of a settings file can be megabytes long.
QString quotedText(const QString& text)
{
    constexpr qsizetype Longest = 40;
    return text.size() > Longest ? text.left(Longest) + QChar(0x2026) : text;
}

// What to type instead of a speed the boxes do not keep.
QString speedRangeHint()
{
    return tr("Enter a speed from %1 to %2, then press GO again.")
        .arg(NumberText::plainDecimal(Doppler::LowestSpeed), NumberText::plainDecimal(Doppler::HighestSpeed));
}

QString whichSpeed(WhichTone tone)
{
    return tone == WhichTone::First ? tr("first") : tr("second");
}

QString noFrequencyMessage(const ToneRequest& request, WhichTone tone, double frequency)
{
    if (!request.band)
        return tr("No radar band is selected. Choose X, K, Ka or Ku, then press GO again.");
    if (!(Doppler::dopplerConstant(request) > 0.0)) {
        return tr("The carrier frequency of the %1 band, \"%2\" GHz, gives no Doppler tone. "
                  "Choose another carrier frequency in Settings.")
            .arg(Doppler::bandName(*request.band), quotedText(request.carrier));
    }
    const QString& speedText = request.speed(tone);
    if (speedText.trimmed().isEmpty())
        return tr("The %1 speed box is empty. %2").arg(whichSpeed(tone), speedRangeHint());
    if (!(NumberText::leadingValue(speedText) > 0.0)) {
        return tr("The %1 speed, \"%2\", gives no tone to play. %3")
            .arg(whichSpeed(tone), quotedText(speedText), speedRangeHint());
    }
    return tr("The %1 speed, \"%2\", gives a tone of %3 Hz, too low to play. Enter a higher "
              "speed, then press GO again.")
        .arg(whichSpeed(tone), quotedText(speedText), NumberText::wholeNumber(NumberText::roundHalfEven(frequency)));
}

QString tooHighMessage(const ToneRequest& request, WhichTone tone, double frequency, double highestReproducible)
{
    // With a carrier Settings offers and a speed the boxes allow, every tone plays; the
    // one beyond its range is the cause.
    if (request.band && NumberText::leadingValue(request.carrier) > Doppler::highestOfferedCarrier(*request.band)) {
        return tr("The carrier frequency of the %1 band, \"%2\" GHz, makes the tone too high to play. "
                  "Choose another carrier frequency in Settings.")
            .arg(Doppler::bandName(*request.band), quotedText(request.carrier));
    }
    const QString& speedText = request.speed(tone);
    if (NumberText::leadingValue(speedText) > Doppler::HighestSpeed) {
        return tr("The %1 speed, \"%2\", makes the tone too high to play. %3")
            .arg(whichSpeed(tone), quotedText(speedText), speedRangeHint());
    }
    // Choices the window offers, and a sound server running at a low sample rate.
    return tr("The tone of %1 Hz is higher than the sound server can play at its sample rate (up to %2 Hz). "
              "Choose a lower speed or another band, or set the sound server to 44100 Hz or more.")
        .arg(NumberText::wholeNumber(NumberText::roundHalfEven(frequency)),
             NumberText::wholeNumber(std::floor(highestReproducible)));
}

// The writer's refusal of a tone, told in terms of the setting that causes it; a file
// the server cannot reproduce would be written and then not heard.
WaveWriter::TonePlan planOne(const ToneRequest& request, WhichTone tone, double highestReproducible)
{
    const double frequency = Doppler::toneFrequency(request, tone);
    WaveWriter::TonePlan plan;
    try {
        plan = WaveWriter::planTone(PlaybackPlan::ToneSeconds, frequency, request.bytesPerCycle);
    } catch (const ToneError& e) {
        switch (e.kind()) {
        case ToneError::Kind::NoFrequency:
            throw ToneError(e.kind(), noFrequencyMessage(request, tone, frequency));
        case ToneError::Kind::TooHigh:
            throw ToneError(e.kind(), tooHighMessage(request, tone, frequency, highestReproducible));
        default:
            throw;
        }
    }
    if (plan.frequency > highestReproducible) {
        throw ToneError(ToneError::Kind::TooHigh, tooHighMessage(request, tone, frequency, highestReproducible));
    }
    return plan;
}

} // namespace

PlaybackPlan PlaybackPlan::of(const ToneRequest& request, double highestReproducible)
{
    PlaybackPlan plan;
    plan.first = planOne(request, WhichTone::First, highestReproducible);
    if (request.moving)
        plan.second = planOne(request, WhichTone::Second, highestReproducible);
    return plan;
}
