#pragma once

// The controls of the main window, held fixed by a test, and a tone playback driven by
// them as the window drives its own: GO hands over the request with the settings as
// stored at that moment, STOP and close the window's mode.

#include "common/PlayToneAndWait.h"
#include "mainwindow/StoredToneRequest.h"
#include "platform/LoopedSound.h"

struct FixedInputs {
    std::optional<Doppler::Band> band = Doppler::Band::X;
    QString speed1 = QStringLiteral("100"); // 3139 Hz on the X band
    QString speed2 = QStringLiteral("50");  // 1569 Hz
    bool moving = false;

    ToneRequest request() const
    {
        ToneRequest request;
        request.band = band;
        request.firstSpeed = speed1;
        request.secondSpeed = speed2;
        request.moving = moving;
        return withStoredSettings(request);
    }
};

class FixedInputsPlayback {
public:
    FixedInputsPlayback(const FixedInputs& inputs, const QString& applicationDirectory)
        : inputs(inputs), playback(sound, applicationDirectory)
    {
    }

    bool playTone() { return playToneAndWait(playback, inputs.request()); }
    void stop() { playback.stop(inputs.moving); }
    void unload() { playback.unload(inputs.moving); }
    bool isTonePlaying() const { return playback.isTonePlaying(); }

private:
    const FixedInputs& inputs;
    Platform::LoopedSound sound;
    TonePlayback playback;
};
