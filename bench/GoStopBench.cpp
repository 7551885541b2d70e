// GO and STOP as heard: a stationary tone started and stopped several times, recorded
// throughout from the bench's own sink without rewinds. Around each onset and each end
// the loudest 20 ms frame outside the tone's harmonics (a click) is taken; in the steady
// middle of each tone, the samples at full scale; and on the steady clock, the time from
// each call to the first sound and to silence.

#include "SoundQualityMeter.h"
#include "ToneBursts.h"
#include "bench/Benches.h"
#include "bench/CleanSink.h"
#include "bench/Measure.h"
#include "bench/Playback.h"
#include "bench/PrivateServer.h"
#include "bench/Tones.h"

#include <QProcess>
#include <QScopeGuard>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace Bench {

namespace {

using TestSupport::MonitorRecorder;

constexpr int Cycles = 8;
constexpr int ToneMs = 700;
constexpr int GapMs = 300;

constexpr std::size_t samplesIn(int ms)
{
    return static_cast<std::size_t>(ms) * MonitorRecorder::Rate / 1000;
}

struct Cycle {
    std::size_t from = 0; // the recording's length at GO
    double goMs = 0;      // steady clock
    double stopMs = 0;
    double serverSaysMs = 0; // STOP to silence by the server's account
};

QString dbfs(double value)
{
    return QStringLiteral("%1 dBFS").arg(value, 0, 'f', 1);
}

void goAndStop(Table& table, const QString& builtAppDir, CleanSink& sink, const ToneChoice& tone)
{
    const WaveWriter::TonePlan plan = planFor(tone);
    MonitorRecorder& recorder = sink.recorder();
    std::vector<Cycle> cycles;
    {
        Playback playback(builtAppDir, tone, false);
        for (int i = 0; i < Cycles; ++i) {
            // The recording returns just as the sink has rendered a piece: each call
            // comes a different fraction of the sink's render-ahead later, so that the
            // runs see its whole range.
            const auto phase = std::chrono::microseconds(i * CleanSink::RenderAheadMs * 1000 / Cycles);
            recorder.record(GapMs);
            std::this_thread::sleep_for(phase);
            Cycle c;
            c.from = recorder.samples().size();
            c.goMs = MonitorRecorder::steadyMs();
            playback.go();
            recorder.record(ToneMs);
            std::this_thread::sleep_for(phase);
            c.stopMs = MonitorRecorder::steadyMs();
            playback.stop();
            c.serverSaysMs = playback.stopHeardAfterMs();
            cycles.push_back(c);
        }
        recorder.record(GapMs);
    }

    const std::vector<float>& s = recorder.samples();
    const TestSupport::ToneSet tones {{plan.frequency}, plan.sampleRate / 2.0};
    double onsetClick = -200, endClick = -200;
    std::vector<double> toSound, toSilence;
    std::vector<float> steady;
    for (std::size_t i = 0; i < cycles.size(); ++i) {
        const std::size_t to = i + 1 < cycles.size() ? cycles[i + 1].from : s.size();
        const auto burst = TestSupport::findBurst(s, cycles[i].from, to);
        if (!burst || burst->lastHeard - burst->firstHeard < samplesIn(ToneMs / 2))
            throw Failure(QStringLiteral("GO %1 of %2 was not heard at the monitor").arg(i + 1).arg(describe(plan)));
        if (to - burst->last < samplesIn(GapMs / 3))
            throw Failure(QStringLiteral("STOP %1 of %2 was not followed by silence").arg(i + 1).arg(describe(plan)));
        onsetClick = std::max(onsetClick, TestSupport::onsetClickDbfs(s, *burst, MonitorRecorder::Rate, tones));
        endClick = std::max(endClick, TestSupport::endClickDbfs(s, *burst, MonitorRecorder::Rate, tones));
        const auto middle = s.begin() + std::ptrdiff_t(burst->first + samplesIn(150));
        steady.insert(steady.end(), middle, middle + std::ptrdiff_t(samplesIn(ToneMs / 2)));
        const auto soundMs = recorder.playedAtMs(burst->firstHeard);
        const auto silenceMs = recorder.playedAtMs(burst->lastHeard + 1);
        if (!soundMs || !silenceMs)
            throw Failure(QStringLiteral("parec's deliveries give no clock"));
        toSound.push_back(*soundMs - cycles[i].goMs);
        toSilence.push_back(*silenceMs - cycles[i].stopMs);
    }

    const QString what = QStringLiteral("%1, %2 GOs and STOPs").arg(describe(plan)).arg(Cycles);
    table.add(QStringLiteral("clicks at GO / STOP, %1: loudest 20 ms frame beyond the tone's harmonics (800 Hz) and "
                             "above 250 Hz, around every onset / end")
                  .arg(what),
              QStringLiteral("%1 / %2").arg(dbfs(onsetClick), dbfs(endClick)), QStringLiteral("<= -60 dBFS"),
              onsetClick <= -60 && endClick <= -60);
    const double pinned = TestSupport::clippedFraction(steady);
    table.add(QStringLiteral("a single tone's samples at full scale, %1 (middle %2 ms of each)").arg(what).arg(ToneMs / 2),
              QStringLiteral("%1 %").arg(pinned * 100, 0, 'f', 3), QStringLiteral("none"), pinned == 0);
    const Spread sound = spreadOf(toSound);
    const Spread silence = spreadOf(toSilence);
    std::vector<double> serverSays;
    for (const Cycle& c : cycles)
        serverSays.push_back(c.serverSaysMs);
    const Spread account = spreadOf(serverSays);
    table.add(QStringLiteral("GO to first sound at the monitor (above -60 dBFS), %1").arg(what),
              QStringLiteral("%1 ms (%2-%3)").arg(sound.median, 0, 'f', 1).arg(sound.min, 0, 'f', 1).arg(sound.max, 0, 'f', 1));
    table.add(QStringLiteral("STOP to silence at the monitor (nothing above -60 dBFS), %1").arg(what),
              QStringLiteral("%1 ms (%2-%3); by the server's account %4 ms (%5-%6)")
                  .arg(silence.median, 0, 'f', 1)
                  .arg(silence.min, 0, 'f', 1)
                  .arg(silence.max, 0, 'f', 1)
                  .arg(account.median, 0, 'f', 1)
                  .arg(account.min, 0, 'f', 1)
                  .arg(account.max, 0, 'f', 1),
              QStringLiteral("<= 20 ms, every run"), silence.max <= 20);
}

// STOP on a private PipeWire where the stream sets the graph's quantum, by the server's
// own account of where it plays (the rows above show that account beside what was heard).
// On a server of its own with nothing else connected, the null sink takes the period the
// stream asks for: PulseAudio's rewinds for STOP's fade, PipeWire's sets the graph's quantum.
void stopByServersAccount(Table& table, const QString& builtAppDir, TestSupport::PrivateSoundServer::Kind kind)
{
    const QString what = kind == TestSupport::PrivateSoundServer::Kind::PipeWire
        ? QStringLiteral("PipeWire's null sink, nothing else connected")
        : QStringLiteral("PulseAudio's null sink at a 200 ms period, which rewinds");
    PrivateServer server(kind);
    // A null sink nobody listens to renders up to 2 s ahead, more than it can rewind for
    // the next stream; a listener at the stream's own period keeps it there, as a sound
    // card's sink keeps no more than it can rewind.
    QProcess listener;
    if (kind == TestSupport::PrivateSoundServer::Kind::PulseAudio) {
        listener.setStandardOutputFile(QProcess::nullDevice());
        listener.start(QStringLiteral("parec"), {QStringLiteral("-d"), QStringLiteral("tvnull.monitor"),
                                                 QStringLiteral("--latency-msec=200"), QStringLiteral("--raw")});
        if (!listener.waitForStarted(3000))
            throw Failure(QStringLiteral("parec did not start"));
        QThread::msleep(2500); // what the sink rendered ahead before is played out
    }
    const auto endListener = qScopeGuard([&] { listener.kill(); listener.waitForFinished(3000); });
    std::vector<double> after;
    {
        Playback playback(builtAppDir, TypicalTone, false);
        for (int i = 0; i < Cycles; ++i) {
            playback.go();
            if (!playback.waitUntilStreaming(5000))
                throw Failure(QStringLiteral("the tone did not reach %1").arg(what));
            QThread::msleep(ToneMs + static_cast<unsigned long>(i * 25)); // a different point of the period each time
            playback.stop();
            after.push_back(playback.stopHeardAfterMs());
            QThread::msleep(GapMs);
        }
    }
    const Spread s = spreadOf(after);
    table.add(QStringLiteral("STOP to silence by the server's account, %1, %2, %3 STOPs")
                  .arg(what, describe(planFor(TypicalTone)))
                  .arg(Cycles),
              QStringLiteral("%1 ms (%2-%3)").arg(s.median, 0, 'f', 1).arg(s.min, 0, 'f', 1).arg(s.max, 0, 'f', 1),
              QStringLiteral("<= 50 ms, every run"), s.max <= 50);
}

} // namespace

void benchGoAndStop(Table& table, const QString& builtAppDir)
{
    CleanSink sink;
    goAndStop(table, builtAppDir, sink, TypicalTone);
    goAndStop(table, builtAppDir, sink, LowTone);
    stopByServersAccount(table, builtAppDir, TestSupport::PrivateSoundServer::Kind::PulseAudio);
    stopByServersAccount(table, builtAppDir, TestSupport::PrivateSoundServer::Kind::PipeWire);
    table.note(QStringLiteral("GO and STOP as heard: the sink's clock from parec's deliveries (each arrives as its first "
                              "sample falls due; their 10th percentile taken); the median delivery came %1 ms later")
                   .arg(sink.recorder().medianDeliveryLagMs(), 0, 'f', 2));
}

} // namespace Bench
