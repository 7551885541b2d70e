// What a looping tone costs the sound server, beside paplay playing the same tone file:
// a private server with nothing else connected (the rig's own keeps a short-latency
// listener, which would set the server's pace for both), PulseAudio and then PipeWire.
// The two players alternate, three windows each, so that a drift of the machine's load
// falls on both.

#include "bench/Benches.h"
#include "bench/Measure.h"
#include "bench/PrivateServer.h"
#include "bench/Processes.h"
#include "bench/Tones.h"
#include "platform/LoopedSound.h"
#include "tone/WaveWriter.h"

#include <QProcess>
#include <QThread>

#include <algorithm>

namespace Bench {

namespace {

constexpr int WindowSeconds = 10;
constexpr int Rounds = 3;
constexpr int SettleMs = 1500;

double serverCpu(const TestSupport::PrivateSoundServer& server)
{
    double sum = 0;
    for (qint64 pid : server.processIds())
        sum += cpuSecondsOf(pid);
    return sum;
}

// The server's CPU per wall second over one window.
double serverShare(const TestSupport::PrivateSoundServer& server)
{
    const double before = serverCpu(server);
    QElapsedTimer wall;
    wall.start();
    QThread::sleep(WindowSeconds);
    return (serverCpu(server) - before) / (static_cast<double>(wall.nsecsElapsed()) / 1e9);
}

double ours(const TestSupport::PrivateSoundServer& server, const QString& tone)
{
    Platform::LoopedSound sound;
    sound.play(tone);
    QThread::msleep(SettleMs);
    if (!sound.isStreaming())
        throw Failure(QStringLiteral("the loop did not reach the private sound server"));
    const double share = serverShare(server);
    sound.stop();
    return share;
}

double paplays(const TestSupport::PrivateSoundServer& server, const QString& tone)
{
    QProcess paplay;
    paplay.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    paplay.start(QStringLiteral("paplay"), {tone});
    if (!paplay.waitForStarted(5000) || paplay.waitForFinished(SettleMs))
        throw Failure(QStringLiteral("paplay did not play %1").arg(tone));
    const double share = serverShare(server);
    const bool played = paplay.state() == QProcess::Running;
    paplay.kill();
    paplay.waitForFinished(2000);
    if (!played)
        throw Failure(QStringLiteral("paplay ended before the window did: the tone file is too short"));
    return share;
}

void besidePaplay(Table& table, TestSupport::PrivateSoundServer::Kind kind, const QString& name)
{
    PrivateServer server(kind);
    // The typical tone, long enough for paplay to play through a window.
    const WaveWriter::TonePlan plan = planFor(TypicalTone);
    const QString tone = server.filePath(QStringLiteral("temp.wav"));
    WaveWriter::writeToneFile(WaveWriter::planTone(WindowSeconds + SettleMs / 1000.0 + 2, plan.frequency,
                                                   QString::number(plan.bytesPerCycle)),
                              tone);
    std::vector<double> loop, file;
    for (int round = 0; round < Rounds; ++round) {
        loop.push_back(ours(*server, tone));
        file.push_back(paplays(*server, tone));
    }
    const double a = spreadOf(loop).median, b = spreadOf(file).median;
    table.add(QStringLiteral("%1 server's CPU while the loop plays %2, beside paplay of the same file (median of %3 "
                             "alternated %4 s windows each)")
                  .arg(name, describe(plan))
                  .arg(Rounds)
                  .arg(WindowSeconds),
              QStringLiteral("%1 % against %2 % (%3 times)")
                  .arg(a * 100, 0, 'f', 2)
                  .arg(b * 100, 0, 'f', 2)
                  .arg(b > 0 ? a / b : 0, 0, 'f', 1),
              QStringLiteral("<= 1.5 times paplay's"), a <= 1.5 * b);
}

} // namespace

void benchServerCpu(Table& table)
{
    besidePaplay(table, TestSupport::PrivateSoundServer::Kind::PulseAudio, QStringLiteral("PulseAudio"));
    besidePaplay(table, TestSupport::PrivateSoundServer::Kind::PipeWire, QStringLiteral("PipeWire"));
}

} // namespace Bench
