#pragma once

#include "platform/LoopedSound.h"
#include "WavReader.h"

namespace Platform::Sound {

// The peak level a loop plays at, as a fraction of full scale. A tone file's waveform,
// its DC taken out, peaks below full scale once band-limited, and the amplitudes of all
// its harmonics add up to less than 1.09 for any 8-bit sine of 3 to 2000 samples per
// cycle: at 0.9 it stays below full scale whichever of them the resampler keeps.
inline constexpr float OneToneGain = 0.9f;
// Two tones that sound together each take half, so that their sum stays below full scale.
inline constexpr float TwoTonesGain = OneToneGain / 2;

float gainFor(LoopedSound::Headroom headroom);

// Takes the mean over the whole loop out of it. 8-bit tone files centre on
// 127 where the format's centre is 128: left in, that offset pins the troughs at full
// scale and steps at every start and stop.
void removeLoopDc(WavData& wav);

} // namespace Platform::Sound
