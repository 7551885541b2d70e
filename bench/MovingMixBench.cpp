// Moving mode's two tones as the sound server mixes them at full volume: the playback
// in this process and its companion each loop a tone into the same sink, which mixes
// into signed 16 bit. What goes beyond full scale is clipped, and clipping adds
// components that are neither tone nor harmonic. Both are read from 2 s of the sink's
// monitor once both tones sound.

#include "PitchMeter.h"
#include "SoundQualityMeter.h"
#include "bench/Benches.h"
#include "bench/CleanSink.h"
#include "bench/Measure.h"
#include "bench/Playback.h"

#include <algorithm>
#include <cmath>

namespace Bench {

namespace {

constexpr int WindowMs = 2000;
constexpr int HearingTimeoutMs = 10000;

bool bothHeard(const std::vector<float>& piece, double first, double second)
{
    const TestSupport::PitchReport report = TestSupport::measurePitch(piece, TestSupport::MonitorRecorder::Rate, 2);
    auto heard = [&](double f) {
        return std::any_of(report.tones.begin(), report.tones.end(), [&](const TestSupport::Tone& t) {
            return std::abs(t.frequency - f) < 1.0;
        });
    };
    return heard(first) && heard(second);
}

void movingMix(Table& table, const QString& builtAppDir, CleanSink& sink, const ToneChoice& tone)
{
    const WaveWriter::TonePlan first = planFor(tone);
    const WaveWriter::TonePlan second = planFor(tone, true);
    TestSupport::MonitorRecorder& recorder = sink.recorder();
    Playback playback(builtAppDir, tone, true);
    playback.go();
    playback.waitForCompanion(5000);
    QElapsedTimer waited;
    waited.start();
    while (!bothHeard(recorder.record(500), first.frequency, second.frequency)) {
        if (waited.elapsed() > HearingTimeoutMs)
            throw Failure(QStringLiteral("moving mode's two tones were not both heard within %1 ms").arg(HearingTimeoutMs));
    }
    const std::vector<float> window = recorder.record(WindowMs);
    playback.stop();
    if (window.size() < std::size_t(WindowMs) * TestSupport::MonitorRecorder::Rate / 1000)
        throw Failure(QStringLiteral("the monitor delivered %1 of %2 ms")
                          .arg(window.size() * 1000 / TestSupport::MonitorRecorder::Rate)
                          .arg(WindowMs));

    const TestSupport::ToneSet tones {{first.frequency, second.frequency},
                                      std::max(first.sampleRate, second.sampleRate) / 2.0};
    const double clipped = TestSupport::clippedFraction(window);
    const double spur = TestSupport::strongestSpurDbfs(window, TestSupport::MonitorRecorder::Rate, tones);
    table.add(QStringLiteral("moving mode mixed at full volume, %1 + %2: samples clipped; strongest component "
                             "neither tone nor harmonic, %3 ms")
                  .arg(describe(first), describe(second))
                  .arg(WindowMs),
              QStringLiteral("%1 %; %2 dBFS").arg(clipped * 100, 0, 'f', 3).arg(spur, 0, 'f', 1),
              QStringLiteral("none; <= -60 dBFS"), clipped == 0 && spur <= -60);
}

} // namespace

void benchMovingMix(Table& table, const QString& builtAppDir)
{
    CleanSink sink;
    movingMix(table, builtAppDir, sink, TypicalTone);
    movingMix(table, builtAppDir, sink, KBandTone);
}

} // namespace Bench
