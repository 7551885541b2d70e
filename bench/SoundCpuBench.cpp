// CPU per second of audio while tones loop through the rig's sound server. The
// playback runs in this process as the main window drives it; this process's CPU
// while playing, less its CPU while idle, is the sound service of the first tone. In
// moving mode the companion's whole CPU (it does nothing but play) is added. sox's
// play, looping a sine of the same pitch through the same server, is the yardstick.

#include "bench/Benches.h"
#include "bench/Measure.h"
#include "bench/Playback.h"
#include "bench/Processes.h"

#include <QProcess>
#include <QThread>

#include <algorithm>


namespace Bench {

namespace {

constexpr int WindowSeconds = 10;
constexpr int IdleSeconds = 3;
// Start-up (the companion's own, the first buffers) is not what a second of audio costs.
constexpr int SettleMs = 1500;

// The rig's sound server, when scripts/bench names it: its CPU is shown beside ours.
qint64 serverPid()
{
    return qEnvironmentVariableIntValue("TINEVOX_BENCH_SERVER_PID");
}

struct Usage {
    double own = 0;       // CPU seconds per wall second: this process
    double other = 0;     //   the companion, or play
    double server = 0;    //   the sound server
};

// Sleeps through the window: the main thread does nothing the program's idle window
// would not, so what this process spends is its sound thread's.
Usage measure(qint64 other, int seconds)
{
    const qint64 server = serverPid();
    const double own0 = ownCpuSeconds();
    const double other0 = other ? cpuSecondsOf(other) : 0;
    const double server0 = server ? cpuSecondsOf(server) : 0;
    QElapsedTimer wall;
    wall.start();
    QThread::sleep(seconds);
    const double s = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    Usage u;
    u.own = (ownCpuSeconds() - own0) / s;
    u.other = other ? (cpuSecondsOf(other) - other0) / s : 0;
    u.server = server ? (cpuSecondsOf(server) - server0) / s : 0;
    return u;
}

QString percent(double fraction)
{
    return QStringLiteral("%1 %").arg(fraction * 100, 0, 'f', 2);
}

QString serverPart(const Usage& u)
{
    return serverPid() ? QStringLiteral("; server meanwhile %1").arg(percent(u.server)) : QString();
}

void oneTone(Table& table, const QString& builtAppDir, const ToneChoice& tone, double idle)
{
    const QString pitch = describe(planFor(tone));
    Playback playback(builtAppDir, tone, false);
    playback.go();
    if (!playback.waitUntilStreaming(5000))
        throw Failure(QStringLiteral("the sound server did not take the stream of %1").arg(pitch));
    QThread::msleep(SettleMs);
    const Usage u = measure(0, WindowSeconds);
    playback.stop();
    const double service = std::max(0.0, u.own - idle);
    table.add(QStringLiteral("sound service CPU, one tone (stationary), %1").arg(pitch),
              QStringLiteral("%1 of one core%2").arg(percent(service), serverPart(u)));
}

void twoTones(Table& table, const QString& builtAppDir, const ToneChoice& tone, double idle)
{
    const QString pitches = describe(planFor(tone)) + QStringLiteral(" + ") + describe(planFor(tone, true));
    Playback playback(builtAppDir, tone, true);
    playback.go();
    if (!playback.waitUntilStreaming(5000))
        throw Failure(QStringLiteral("the sound server did not take the first tone's stream"));
    const qint64 companion = playback.waitForCompanion(5000);
    QThread::msleep(SettleMs);
    const Usage u = measure(companion, WindowSeconds);
    playback.stop();
    const double first = std::max(0.0, u.own - idle);
    const double both = first + u.other;
    table.add(QStringLiteral("sound service CPU, two tones (moving; this process + companion), %1").arg(pitches),
              QStringLiteral("%1 of one core (%2 + %3)%4").arg(percent(both), percent(first), percent(u.other), serverPart(u)),
              QStringLiteral("< 2 % of one core"), both < 0.02);
}

void soxPlay(Table& table, double frequency)
{
    const int rate = 48000; // the null sink's rate: sox synthesises at it, no resampling
    QProcess play;
    play.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    play.start(QStringLiteral("play"), {QStringLiteral("-q"), QStringLiteral("-r"), QString::number(rate),
                                        QStringLiteral("-n"), QStringLiteral("synth"),
                                        QString::number(WindowSeconds * 3), QStringLiteral("sine"),
                                        QString::number(frequency, 'f', 0)});
    if (!play.waitForStarted(5000))
        throw Failure(QStringLiteral("sox's play does not start: %1").arg(play.errorString()));
    struct Ender {
        QProcess& p;
        ~Ender()
        {
            if (p.state() != QProcess::NotRunning) {
                p.terminate();
                if (!p.waitForFinished(2000))
                    p.kill();
                p.waitForFinished(2000);
            }
        }
    } ender {play};
    if (play.waitForFinished(SettleMs))
        throw Failure(QStringLiteral("sox's play ended at once (exit %1): is libsox-fmt-pulse installed?").arg(play.exitCode()));
    const Usage u = measure(play.processId(), WindowSeconds);
    if (play.state() != QProcess::Running)
        throw Failure(QStringLiteral("sox's play ended before its CPU was read"));
    table.add(QStringLiteral("sox's play looping a %1 Hz sine at %2 samples/s through the same server")
                  .arg(frequency, 0, 'f', 0)
                  .arg(grouped(rate)),
              QStringLiteral("%1 of one core%2").arg(percent(u.other), serverPart(u)));
}

} // namespace

void benchSoundCpu(Table& table, const QString& builtAppDir)
{
    const Usage idle = measure(0, IdleSeconds);
    oneTone(table, builtAppDir, LargestTone, idle.own);
    twoTones(table, builtAppDir, LargestTone, idle.own);
    oneTone(table, builtAppDir, TypicalTone, idle.own);
    twoTones(table, builtAppDir, TypicalTone, idle.own);
    soxPlay(table, planFor(LargestTone).frequency);
    table.note(QStringLiteral("sound service CPU: this process's CPU while playing less its %1 while idle, plus the "
                              "companion's whole CPU; %2 s windows after %3 ms of settling; every process's CPU "
                              "from its CPU-time clock, in nanoseconds")
                   .arg(percent(idle.own))
                   .arg(WindowSeconds)
                   .arg(SettleMs));
}

} // namespace Bench
