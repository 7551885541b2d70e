#pragma once

#include "tone/RadarBands.h"

#include <QString>

#include <optional>

// Which of the two tones: the first speed box's, or the second's of moving mode.
enum class WhichTone { First, Second };

// Everything a playback and a readout are made from, taken in one go from the window's
// controls and the settings as stored at that moment. The engine reads nothing else, so a
// change while a tone file is written cannot reach the tone being made.
struct ToneRequest {
    std::optional<Doppler::Band> band; // none when no band option is selected
    QString carrier;       // the band's carrier in GHz, as stored (or the fixed Ku carrier)
    bool milesPerHour = true; // the speeds' unit: miles, or else kilometres, per hour
    QString firstSpeed;    // as typed in the first speed box
    QString secondSpeed;   // and in the second
    bool moving = false;   // moving mode: the second tone plays as well
    QString bytesPerCycle; // "Accuracy" as stored

    const QString& speed(WhichTone tone) const { return tone == WhichTone::First ? firstSpeed : secondSpeed; }
};
