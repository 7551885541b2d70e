#pragma once

// GO, waited for: the request handed over and the event loop run until the tone files
// are written. True when the tone then plays; a tone refused throws its ToneError.

#include "tone/ToneError.h"
#include "tone/TonePlayback.h"

#include <QTest>

#include <optional>

inline bool playToneAndWait(TonePlayback& playback, const ToneRequest& request)
{
    std::optional<ToneError> error;
    QObject receiver;
    QObject::connect(&playback, &TonePlayback::failed, &receiver, [&error](const ToneError& e) { error = e; });
    playback.playTone(request);
    if (!QTest::qWaitFor([&playback] { return !playback.isWriting(); }, 30000))
        return false;
    if (error)
        throw *error;
    return playback.isTonePlaying();
}
