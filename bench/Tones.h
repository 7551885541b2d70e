#pragma once

// The tones the figures are taken with: the largest file the program can write (Ka
// band, 199 mph, 100 bytes per cycle), an everyday one (X band, 65 mph, the default
// 10 bytes per cycle) and, for the sound's quality, a K-band pair and a low tone.

#include "tone/DopplerModel.h"
#include "tone/TonePlayback.h"
#include "tone/WaveWriter.h"

#include <QString>

namespace Bench {

struct ToneChoice {
    Doppler::Band band;
    QString speed;
    QString secondSpeed; // moving mode's second tone
    QString accuracy;    // bytes per cycle, a setting shared by both tones
};

inline const ToneChoice LargestTone {Doppler::Band::Ka, QStringLiteral("199"), QStringLiteral("150"), QStringLiteral("100")};
inline const ToneChoice TypicalTone {Doppler::Band::X, QStringLiteral("65"), QStringLiteral("40"), QStringLiteral("10")};
// Moving mode on the K band: 4681 and 2521 Hz.
inline const ToneChoice KBandTone {Doppler::Band::K, QStringLiteral("65"), QStringLiteral("35"), QStringLiteral("10")};
// The lowest speed on the X band: 31 Hz, whose harmonics all lie below 250 Hz.
inline const ToneChoice LowTone {Doppler::Band::X, QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("10")};

// Stores the tone's "Accuracy" and works out its file as the writer will.
WaveWriter::TonePlan planFor(const ToneChoice& tone, bool second = false);
// "20060 Hz at 2,006,000 samples/s"
QString describe(const WaveWriter::TonePlan& plan);

// What the main window would hand a playback, held fixed.
struct BenchInputs : ToneInputs {
    ToneChoice tone = TypicalTone;
    bool moving = false;

    std::optional<Doppler::Band> selectedBand() const override { return tone.band; }
    QString firstSpeedText() const override { return tone.speed; }
    QString secondSpeedText() const override { return tone.secondSpeed; }
    bool isMovingMode() const override { return moving; }
};

} // namespace Bench
