#include "TonesHeard.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>

namespace TestSupport {

namespace {

// Long enough to tell tones 1 Hz apart from their neighbours' lobes, short enough that
// the wait ends soon after the last tone begins.
constexpr int PieceMs = 250;

bool allHeard(const PitchReport& probe, const std::vector<double>& frequencies, double minAmplitude)
{
    return std::all_of(frequencies.begin(), frequencies.end(), [&](double f) {
        return std::any_of(probe.tones.begin(), probe.tones.end(),
                           [&](const Tone& t) { return std::abs(t.frequency - f) < 1.0 && t.amplitude >= minAmplitude; });
    });
}

} // namespace

PitchReport waitForTones(MonitorRecorder& recorder, const std::vector<double>& frequencies, int windowMs, int timeoutMs,
                         double minAmplitude)
{
    const int count = static_cast<int>(frequencies.size());
    if ((!recorder.isRecording() && !recorder.start()) || count == 0)
        return {};
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs && recorder.isRecording()) {
        // One tone more than asked for: an earlier stream may still be fading out.
        const PitchReport probe = measurePitch(recorder.record(PieceMs), MonitorRecorder::Rate, count + 1);
        if (allHeard(probe, frequencies, minAmplitude)) {
            recorder.record(100);
            return measurePitch(recorder.record(windowMs), MonitorRecorder::Rate, count);
        }
    }
    return {};
}

} // namespace TestSupport
