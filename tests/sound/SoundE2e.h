#pragma once

// Shared by the sound service's end-to-end tests: tone files on disk, bounded waits,
// and waiting for a given pitch on the monitor.

#include "MonitorRecorder.h"
#include "PitchMeter.h"
#include "WavFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QString>
#include <QThread>

#include <cmath>
#include <functional>

namespace SoundE2e {

// Writes a tone file of whole cycles; returns its path (empty on failure).
inline QString writeTone(const QString& dir, quint32 rate, int n, int cycles)
{
    const QString path = QDir(dir).filePath(QStringLiteral("tone-%1-%2-%3.wav").arg(rate).arg(n).arg(cycles));
    return TestSupport::writeFile(path, TestSupport::toneWav(rate, n, cycles)) ? path : QString();
}

// Polls until done() or timeoutMs; returns done()'s last answer.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return done();
        QThread::msleep(10);
    }
    return true;
}

// Records in quarter-second pieces until one of the two strongest tones is within 1 Hz of frequency
// (the null sink can take up to 2 s to let a new stream be heard, and an old one may
// still be fading out), then measures a window of windowMs. Empty report on time-out.
inline TestSupport::PitchReport waitForPitch(TestSupport::MonitorRecorder& recorder, double frequency,
                                             int windowMs = 2000, int timeoutMs = 6000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        const std::vector<float> piece = recorder.record(250);
        const auto probe = TestSupport::measurePitch(piece, TestSupport::MonitorRecorder::Rate);
        bool heard = false;
        for (const TestSupport::Tone& t : probe.tones)
            heard = heard || (std::abs(t.frequency - frequency) < 1.0 && t.amplitude > 0.05);
        if (heard) {
            recorder.record(100);
            return TestSupport::measurePitch(recorder.record(windowMs), TestSupport::MonitorRecorder::Rate);
        }
    }
    return {};
}

// True when no sample of the piece is above level.
inline bool silent(const std::vector<float>& samples, double level = 1e-3)
{
    for (float s : samples)
        if (std::abs(s) > level)
            return false;
    return !samples.empty();
}

} // namespace SoundE2e
