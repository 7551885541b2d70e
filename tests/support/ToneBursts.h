#pragma once

#include "SoundQualityMeter.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace TestSupport {

// One tone in a recording of GO and STOP, from silence to silence. A null sink renders
// exact zeros when nothing plays, so the first and last sample that is not zero mark
// where the stream began and ended; heard means above -60 dBFS.
struct ToneBurst {
    std::size_t first = 0;
    std::size_t last = 0;
    std::size_t firstHeard = 0;
    std::size_t lastHeard = 0;
};

constexpr float AudibleLevel = 1e-3f;

// The tone within samples[from, to); empty when nothing was heard there.
std::optional<ToneBurst> findBurst(const std::vector<float>& samples, std::size_t from, std::size_t to);

// The loudest click (loudestClickDbfs) in frames around the burst's start, from 30 ms
// before to 60 ms after it, and around its end, from 60 ms before to 30 ms after.
double onsetClickDbfs(const std::vector<float>& samples, const ToneBurst& burst, double rate, const ToneSet& tones);
double endClickDbfs(const std::vector<float>& samples, const ToneBurst& burst, double rate, const ToneSet& tones);

} // namespace TestSupport
