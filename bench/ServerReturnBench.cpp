// From a lost sound server's return to the loop streaming again, with no play() after
// the loss: the sound service's own back-off. A private server is killed under a
// playing loop and started again after downtimes that meet the back-off at different
// points; the clock starts when the new server answers.

#include "bench/PrivateServer.h"
#include "bench/Benches.h"
#include "bench/Measure.h"
#include "platform/LoopedSound.h"
#include "tone/WaveWriter.h"

#include <QThread>

namespace Bench {

namespace {

constexpr int DownMs[] = {300, 1500, 2700, 4000, 6500};

bool waitFor(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QThread::usleep(500);
    }
    return true;
}

} // namespace

void benchServerReturn(Table& table)
{
    PrivateServer server;
    const QString tone = server.filePath(QStringLiteral("temp.wav"));
    WaveWriter::writeToneFile(WaveWriter::planTone(0.5, 3139, QStringLiteral("10")), tone);
    Platform::LoopedSound sound;
    sound.play(tone);
    if (!waitFor([&] { return sound.isStreaming(); }, 5000))
        throw Failure(QStringLiteral("the loop did not reach the private sound server"));

    std::vector<double> back;
    for (int down : DownMs) {
        server->end(false);
        if (!waitFor([&] { return !sound.isStreaming(); }, 3000))
            throw Failure(QStringLiteral("the sound service did not notice the server's loss"));
        QThread::msleep(static_cast<unsigned long>(down));
        if (!server->start())
            throw Failure(QStringLiteral("the private sound server did not start again"));
        QElapsedTimer t;
        t.start();
        if (!waitFor([&] { return sound.isStreaming(); }, 10000))
            throw Failure(QStringLiteral("the loop did not come back within 10 s of the server's return"));
        back.push_back(elapsedMs(t));
    }
    sound.stop();
    const Spread s = spreadOf(back);
    table.add(QStringLiteral("Sound server killed and back after 0.3 to 6.5 s: its return to the loop streaming "
                             "again, no play(), median of %1")
                  .arg(s.count),
              QStringLiteral("%1 ms, max %2 ms").arg(QString::number(s.median, 'f', 0), QString::number(s.max, 'f', 0)),
              QStringLiteral("< 3000 ms, every run"), s.max < 3000.0);
}

} // namespace Bench
