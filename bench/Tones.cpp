#include "bench/Tones.h"

#include "bench/Measure.h"
#include "settings/SettingsKeys.h"

namespace Bench {

WaveWriter::TonePlan planFor(const ToneChoice& tone, bool second)
{
    Settings::write(Settings::Accuracy, tone.accuracy);
    const double frequency =
        Doppler::toneFrequency(Doppler::dopplerConstantFor(tone.band), second ? tone.secondSpeed : tone.speed);
    return WaveWriter::planTone(TonePlayback::ToneSeconds, frequency, tone.accuracy);
}

QString describe(const WaveWriter::TonePlan& plan)
{
    return QStringLiteral("%1 Hz at %2 samples/s").arg(plan.frequency, 0, 'f', 0).arg(grouped(plan.sampleRate));
}

} // namespace Bench
