#pragma once

// The tones the figures are taken with: the largest file the program can write (Ka
// band, 199 mph, 100 bytes per cycle), an everyday one (X band, 65 mph, the default
// 10 bytes per cycle) and, for the sound's quality, a K-band pair and a low tone.

#include "tone/DopplerModel.h"
#include "tone/ToneRequest.h"
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

// The request GO makes of the tone: band and speeds, with the bench's own settings as
// stored now (planFor has stored the tone's "Accuracy").
ToneRequest requestFor(const ToneChoice& tone, bool moving);
// Stores the tone's "Accuracy" and works out its file as the writer will.
WaveWriter::TonePlan planFor(const ToneChoice& tone, bool second = false);
// "20060 Hz at 2,006,000 samples/s"
QString describe(const WaveWriter::TonePlan& plan);

} // namespace Bench
