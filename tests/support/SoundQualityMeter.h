#pragma once

#include <span>
#include <vector>

namespace TestSupport {

// What a recording holds besides its tones, in dBFS: a full-scale sine reads 0 dBFS.
// FFTs are taken with the 4-term Blackman-Harris window (sidelobes at -92 dB), so a
// full-scale tone leaks nothing that could be mistaken for a component at -60 dBFS.

// The tones a recording is meant to hold, with their harmonics up to harmonicsUpTo Hz
// (a tone file carries harmonics only below half its own sample rate).
struct ToneSet {
    std::vector<double> frequencies; // Hz
    double harmonicsUpTo = 0;        // Hz; 0: up to half the recording's rate
};

// The fraction of samples at or beyond full scale. The sink mixes into signed 16 bit,
// so a clipped sample reads -1 or 32767/32768 there.
double clippedFraction(std::span<const float> samples);

// The strongest frequency component, in dBFS, that is neither DC nor one of the tones or
// their harmonics: one window over all the samples (a second or more gives a fraction
// of a hertz per bin), a few bins left out around each of those. -200 for silence.
double strongestSpurDbfs(std::span<const float> samples, double rate, const ToneSet& tones);

// Clicks: 20 ms frames slid with a 5 ms hop over the samples; in each, the energy more
// than 800 Hz away from every tone and harmonic and above 250 Hz, in dBFS (a full-scale
// sine wholly in that band reads 0). Returns the largest; -200 for silence or too few
// samples for one frame.
double loudestClickDbfs(std::span<const float> samples, double rate, const ToneSet& tones);

} // namespace TestSupport
