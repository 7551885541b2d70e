#pragma once

// What a playback reads from the main window, held fixed by a test.

#include "tone/TonePlayback.h"

struct FixedInputs : ToneInputs {
    std::optional<Doppler::Band> band = Doppler::Band::X;
    QString speed1 = QStringLiteral("100"); // 3139 Hz on the X band
    QString speed2 = QStringLiteral("50");  // 1569 Hz
    bool moving = false;

    std::optional<Doppler::Band> selectedBand() const override { return band; }
    QString firstSpeedText() const override { return speed1; }
    QString secondSpeedText() const override { return speed2; }
    bool isMovingMode() const override { return moving; }
};
