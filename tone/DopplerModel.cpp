#include "tone/DopplerModel.h"

#include "tone/NumberText.h"
#include "tone/ToneRequest.h"

#include <cmath>

namespace Doppler {

double WaveLength(double freq)
{
    return SpeedOfLight / (freq * GHzToHz);
}

double WaveLength(const QString& freq)
{
    return WaveLength(NumberText::leadingValue(freq));
}

QString DopplerConst(double Frequency)
{
    return NumberText::fromDouble(DopplerFactor / WaveLength(Frequency));
}

QString DopplerConst(const QString& Frequency)
{
    return DopplerConst(NumberText::leadingValue(Frequency));
}

double dopplerConstant(const ToneRequest& request)
{
    if (!request.band)
        return 0.0;
    const double constant = NumberText::toDouble(DopplerConst(request.carrier));
    // A carrier of 0 (or text that is no number) has an infinite wavelength: no shift.
    return std::isfinite(constant) ? constant : 0.0;
}

double speedInMph(const QString& speedText, bool milesPerHour)
{
    const double speed = NumberText::leadingValue(speedText);
    return milesPerHour ? speed : speed * KphToMph;
}

double toneFrequency(const ToneRequest& request, WhichTone tone)
{
    return speedInMph(request.speed(tone), request.milesPerHour) * dopplerConstant(request);
}

} // namespace Doppler
