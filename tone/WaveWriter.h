#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>

class ToneProgress;

// The tone writer: an 8-bit mono PCM sine, about as long as asked, cut to a whole
// number of cycles so that it loops without a click. The sample rate is chosen per
// tone so that one cycle holds exactly "Accuracy" bytes; the pitch R / N is then the
// rounded frequency exactly. Nothing here reads a setting or shows a window: the caller
// hands in the "Accuracy" text and whoever follows the progress.
namespace WaveWriter {

// The numbers of one tone file, worked out before anything is written.
struct TonePlan {
    double frequency = 0;          // f: rounded to whole hertz, half to even
    double bytesPerCycle = 0;      // A: leading number of "Accuracy"
    std::int32_t sampleRate = 0;   // R = round(A * f)
    std::int64_t samplesPerCycle = 0; // N = round(R / f)
    std::int64_t totalSamples = 0; // T = floor(R * duration)
    std::int64_t dataSize = 0;     // D = floor(T / N) * N
    std::int64_t cycles = 0;       // M = D / N

    // The 44-byte header: mono 8-bit PCM at the sample rate, little-endian.
    QByteArray headerBytes() const;
};

// The "Accuracy" texts the settings dialog offers, as listed and stored.
inline const QStringList OfferedBytesPerCycle {QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("25"),
                                               QStringLiteral("50"), QStringLiteral("100")};

// The fewest bytes per cycle that hold a wave: with one or two, every sample of the
// cycle rounds to the centre value.
inline constexpr double MinBytesPerCycle = 3;

// Works out the tone file for a frequency (not yet rounded) and an "Accuracy" text.
// Throws ToneError when no file can be made: a frequency that rounds to 0 Hz or
// below, bytes per cycle that hold no wave (fewer than 3) or give no sample rate (not a
// number, or a rate or file too large for the player).
TonePlan planTone(double duration, double frequency, const QString& accuracy);

// The N bytes of one cycle: phase in whole degrees, pi taken as 3.14.
QByteArray cycleBytes(std::int64_t samplesPerCycle);

// Writes the planned tone file at path, reporting every cycle to progress (when given)
// and asking it after each block of cycles whether to give up. Throws ToneError with a
// message for the user when the file cannot be written, and returns false when
// progress asks for a cancel; in both cases the partial file is deleted.
bool writeToneFile(const TonePlan& plan, const QString& path, ToneProgress* progress = nullptr);

} // namespace WaveWriter
