#pragma once

#include "tone/RadarBands.h"

#include <QString>

struct ToneRequest;
enum class WhichTone;

// The Doppler tone model: the audio frequency a radar of a band returns for a target
// at a speed. Tone playback and the frequency readout both compute through here, from
// a tone request, so the readout always names the pitch that would be played.
namespace Doppler {

inline constexpr double SpeedOfLight = 299792458.0; // m/s
inline constexpr double GHzToHz = 1000000000.0;
inline constexpr double DopplerFactor = 0.89408;    // twice the m/s in one mile per hour
inline constexpr double KphToMph = 0.6214;
// The speed boxes keep speeds from 1 to 199; they put the lowest in place of a 0.
inline constexpr double LowestSpeed = 1;
inline constexpr double HighestSpeed = 199;

// Wavelength in metres of a carrier given in GHz, as a number or decimal text.
double WaveLength(double freq);
double WaveLength(const QString& freq);

// The Doppler constant in Hz per mph of a carrier in GHz, handed back as text with up
// to 15 significant digits; callers convert it back with NumberText::toDouble.
QString DopplerConst(double Frequency);
QString DopplerConst(const QString& Frequency);

// The Doppler constant of the request's band at its carrier, converted back from its
// text. With no band selected there is no carrier and the constant is 0; a carrier of 0
// or text that is no number gives no shift either.
double dopplerConstant(const ToneRequest& request);

// A speed box's text in mph: its leading number, times 0.6214 when it is in kilometres
// per hour.
double speedInMph(const QString& speedText, bool milesPerHour);

// One tone of the request: its speed in mph times the Doppler constant, in Hz, not yet
// rounded.
double toneFrequency(const ToneRequest& request, WhichTone tone);

} // namespace Doppler
