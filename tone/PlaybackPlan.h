#pragma once

#include "tone/WaveWriter.h"

#include <optional>

struct ToneRequest;

// The tone files of one playback, worked out from its request before anything is
// written, so that a tone that cannot be made or heard leaves nothing behind.
struct PlaybackPlan {
    static constexpr double ToneSeconds = 0.5;

    WaveWriter::TonePlan first;
    std::optional<WaveWriter::TonePlan> second; // moving mode's

    // Throws ToneError when a tone of the request cannot be made, or would lie above
    // highestReproducible (the sound server's, in Hz); its message names the cause in
    // terms the user can change: the band, its carrier, a speed or "Bytes per Cycle".
    static PlaybackPlan of(const ToneRequest& request, double highestReproducible);
};
