#include "bench/Playback.h"

#include "bench/Measure.h"
#include "bench/Processes.h"
#include "platform/CompanionNames.h"
#include "tone/ToneError.h"

#include <QEventLoop>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <thread>

namespace Bench {

Playback::Playback(const QString& builtAppDir, const ToneChoice& choice, bool movingMode)
    : tone(choice), moving(movingMode)
{
    if (!dir.isValid())
        throw Failure(QStringLiteral("cannot make a scratch application directory"));
    const QString source = builtAppDir + QStringLiteral("/echolet.dll");
    if (!QFile::copy(source, companionPath()))
        throw Failure(QStringLiteral("cannot copy the companion from %1").arg(source));
    planFor(tone); // stores its "Accuracy"
    playback = std::make_unique<TonePlayback>(sound, dir.path());
}

Playback::~Playback()
{
    playback->unload(moving);
    for (qint64 pid : processesRunning(companionPath()))
        endProcess(pid);
}

QString Playback::companionPath() const
{
    return dir.filePath(Platform::CompanionNames::ProgramFile);
}

void Playback::go()
{
    // Waited for in an event loop of its own: the writer's end is taken as it comes.
    QEventLoop loop;
    QString error;
    QObject::connect(&playback->writer(), &ToneFileWriter::written, &loop, &QEventLoop::quit);
    QObject::connect(playback.get(), &TonePlayback::failed, &loop, [&](const ToneError& e) {
        error = e.message();
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    playback->playTone(requestFor(tone, moving));
    if (playback->isWriting())
        loop.exec();
    if (!error.isEmpty())
        throw Failure(QStringLiteral("GO failed: %1").arg(error));
    if (!playback->isTonePlaying() || playback->isWriting())
        throw Failure(QStringLiteral("GO did not start a playback"));
}

bool Playback::streaming() const
{
    return sound.isStreaming();
}

bool Playback::waitUntilStreaming(int timeoutMs) const
{
    // Polled, not waited for with the event loop: the figure it ends is in milliseconds.
    QElapsedTimer waited;
    waited.start();
    while (!streaming()) {
        if (waited.elapsed() >= timeoutMs)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return true;
}

qint64 Playback::waitForCompanion(int timeoutMs)
{
    const qint64 pid = waitForProcess(companionPath(), timeoutMs);
    if (pid == 0)
        throw Failure(QStringLiteral("moving mode started no companion within %1 ms").arg(timeoutMs));
    return pid;
}

void Playback::stop()
{
    playback->stop(moving);
    if (!runEventsUntil([this] { return processesRunning(companionPath()).empty(); }, 5000))
        throw Failure(QStringLiteral("the companion still runs 5 s after STOP"));
}

double Playback::stopHeardAfterMs()
{
    if (!runEventsUntil([this] { return sound.lastFadeHeardAfterMs() >= 0; }, 1000))
        throw Failure(QStringLiteral("STOP wrote no fade within a second"));
    return sound.lastFadeHeardAfterMs();
}

} // namespace Bench
