#pragma once

// A tone playback driven in this process, as the main window drives it, from a
// scratch application directory that holds its own copy of the companion.

#include "bench/Tones.h"
#include "platform/LoopedSound.h"
#include "tone/TonePlayback.h"

#include <QTemporaryDir>

#include <memory>

namespace Bench {

class Playback {
public:
    Playback(const QString& builtAppDir, const ToneChoice& tone, bool moving);
    // Unloads the playback and ends any companion it left.
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // playTone() with the tone's request, as GO does, and the tone files waited for;
    // throws Failure when it does not end up playing.
    void go();
    bool streaming() const;
    bool waitUntilStreaming(int timeoutMs) const;
    // The companion of moving mode, once it runs; throws Failure when none starts.
    qint64 waitForCompanion(int timeoutMs);
    // STOP, and the companion followed until it has gone; throws Failure when it stays.
    void stop();
    // After stop(): how long after it the server plays the end of the first tone's fade,
    // by its own account; throws Failure when no fade was written within a second.
    double stopHeardAfterMs();

    QString companionPath() const;

private:
    QTemporaryDir dir;
    ToneChoice tone;
    bool moving;
    Platform::LoopedSound sound; // the first tone's, as the window holds it
    std::unique_ptr<TonePlayback> playback;
};

} // namespace Bench
