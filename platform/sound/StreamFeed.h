#pragma once

#include "LoopResampler.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Platform::Sound {

// The peak level a loop plays at, as a fraction of full scale. A tone file's waveform,
// its DC taken out, peaks below full scale once band-limited, and the amplitudes of all
// its harmonics add up to less than 1.09 for any 8-bit sine of 3 to 2000 samples per
// cycle: at 0.9 it stays below full scale whichever of them the resampler keeps.
inline constexpr float OneToneGain = 0.9f;
// Two tones that sound together each take half, so that their sum stays below full scale.
inline constexpr float TwoTonesGain = OneToneGain / 2;

// What one playback stream is fed: the loop at the server's rate and at its level,
// rising from silence over its first FadeSeconds instead of switching on (a click).
//
// It remembers the last frames it gave, so that at the end a fade-out can take over
// seamlessly from any frame the server has not yet played: the same samples, falling to
// silence along a raised cosine.
//
// Mono, as the loop is. Needs no sound server. Not thread-safe: one thread feeds it.
class StreamFeed {
public:
    // rememberedFrames: how far back a fade-out can start, at least the server's buffer.
    StreamFeed(std::unique_ptr<LoopResampler> loop, float gain, std::size_t rememberedFrames);

    double rate() const { return loop->outputRate(); }
    std::size_t fadeFrames() const { return fade; }

    // Writes the next frames to out, and remembers them.
    void render(float* out, std::size_t frames);
    // The frames from now on rise from silence again, as at the start: after the server
    // ran dry (the program was stopped, the machine stalled), the loop would otherwise
    // come back in mid-wave, with a click.
    void riseAgain() { riseFrom = given; }
    // Frames given so far: the stream position of the next one.
    std::int64_t framesGiven() const { return given; }

    // The stream's frames from position from on: as they were given (or, past what was
    // given, as they come), falling to silence over fadeFrames(), then silence up to at
    // least framesGiven(), so that nothing given earlier is played after it. A from
    // older than what is remembered starts the fade at the oldest remembered frame. The
    // position it starts at is returned in startsAt.
    std::vector<float> fadeOutFrom(std::int64_t from, std::int64_t& startsAt);

private:
    std::unique_ptr<LoopResampler> loop;
    float gain;
    std::size_t fade;
    std::vector<float> remembered; // a ring of the last frames given, by stream position
    std::int64_t given = 0;
    std::int64_t riseFrom = 0; // where the last rise from silence began
};

// Raised-cosine ramps over length frames: up(i) rises from near 0 to near 1, and
// down(i) = up(length - 1 - i) falls back. Symmetric, so a fade-in and a fade-out
// overlapped add up to exactly 1.
double rampUp(std::size_t i, std::size_t length);
double rampDown(std::size_t i, std::size_t length);

} // namespace Platform::Sound
