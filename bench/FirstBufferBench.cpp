// From GO to the first audio handed to the sound server: playTone() is called as the GO
// button calls it, its file waited for, and isStreaming() polled every 0.1 ms until the server has asked for
// and been given the first buffer. One playback serves all runs, as one window does; its
// first GO also connects to the server and is shown apart.

#include "bench/Benches.h"
#include "bench/Measure.h"
#include "bench/Playback.h"

#include <QThread>

namespace Bench {

namespace {

constexpr int Runs = 20;
constexpr int PauseMs = 100; // between STOP and the next GO, as a hand would leave

void firstBuffer(Table& table, const QString& builtAppDir, const ToneChoice& tone)
{
    const WaveWriter::TonePlan plan = planFor(tone);
    Playback playback(builtAppDir, tone, false);
    std::vector<double> toStream, toReturn;
    double first = 0;
    for (int i = 0; i <= Runs; ++i) {
        QElapsedTimer t;
        t.start();
        playback.go();
        const double returned = elapsedMs(t);
        if (!playback.waitUntilStreaming(5000))
            throw Failure(QStringLiteral("no audio reached the sound server within 5 s of GO"));
        const double streaming = elapsedMs(t);
        if (i == 0) {
            first = streaming;
        } else {
            toStream.push_back(streaming);
            toReturn.push_back(returned);
        }
        playback.stop();
        runEvents(PauseMs);
    }
    const Spread s = spreadOf(toStream);
    const Spread r = spreadOf(toReturn);
    table.add(QStringLiteral("GO to first audio buffer, %1 (%2 bytes), median of %3")
                  .arg(describe(plan), grouped(plan.dataSize + 44))
                  .arg(Runs),
              QStringLiteral("%1 ms, max %2 ms (files written, tone started at %3 ms); first GO %4 ms")
                  .arg(QString::number(s.median, 'f', 1), QString::number(s.max, 'f', 1),
                       QString::number(r.median, 'f', 1), QString::number(first, 'f', 1)),
              QStringLiteral("< 50 ms, every run"), s.max < 50.0 && first < 50.0);
}

} // namespace

void benchFirstBuffer(Table& table, const QString& builtAppDir)
{
    firstBuffer(table, builtAppDir, TypicalTone);
    firstBuffer(table, builtAppDir, LargestTone);
}

} // namespace Bench
