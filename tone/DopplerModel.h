#pragma once

#include <QString>

#include <optional>

struct ToneRequest;
enum class WhichTone;

// The Doppler tone model: the audio frequency a radar of a band returns for a target
// at a speed. Tone playback and the frequency readout both compute through here, from
// a tone request, so the readout always names the pitch that would be played.
namespace Doppler {

enum class Band { X, K, Ka, Ku };

inline constexpr double SpeedOfLight = 299792458.0; // m/s
inline constexpr double GHzToHz = 1000000000.0;
inline constexpr double DopplerFactor = 0.89408;    // twice the m/s in one mile per hour
inline constexpr double KphToMph = 0.6214;
inline constexpr double KuCarrierGHz = 13.45;       // fixed; the user cannot change it
inline constexpr double HighestSpeed = 199;         // the speed boxes keep speeds up to this

// Wavelength in metres of a carrier given in GHz, as a number or decimal text.
double WaveLength(double freq);
double WaveLength(const QString& freq);

// The Doppler constant in Hz per mph of a carrier in GHz, handed back as text with up
// to 15 significant digits; callers convert it back with NumberText::toDouble.
QString DopplerConst(double Frequency);
QString DopplerConst(const QString& Frequency);

// The band's stored names ("X", "K", "Ka", "Ku") and back; any other text is no band.
QString bandName(Band band);
std::optional<Band> bandFromName(const QString& name);

// The highest carrier in GHz that Settings offers for a band (the Ka box is held to 36;
// Ku is fixed): a stored carrier above it is out of the band.
double highestOfferedCarrier(Band band);

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
