#include "bench/Tones.h"

#include "bench/Measure.h"
#include "mainwindow/StoredToneRequest.h"
#include "settings/SettingsKeys.h"
#include "tone/PlaybackPlan.h"

namespace Bench {

ToneRequest requestFor(const ToneChoice& tone, bool moving)
{
    ToneRequest request;
    request.band = tone.band;
    request.firstSpeed = tone.speed;
    request.secondSpeed = tone.secondSpeed;
    request.moving = moving;
    return withStoredSettings(request);
}

WaveWriter::TonePlan planFor(const ToneChoice& tone, bool second)
{
    Settings::write(Settings::Accuracy, tone.accuracy);
    const ToneRequest request = requestFor(tone, second);
    const double frequency = Doppler::toneFrequency(request, second ? WhichTone::Second : WhichTone::First);
    return WaveWriter::planTone(PlaybackPlan::ToneSeconds, frequency, request.bytesPerCycle);
}

QString describe(const WaveWriter::TonePlan& plan)
{
    return QStringLiteral("%1 Hz at %2 samples/s").arg(plan.frequency, 0, 'f', 0).arg(grouped(plan.sampleRate));
}

} // namespace Bench
