#pragma once

#include <span>
#include <vector>

namespace TestSupport {

// What PitchMeter found in a recording.
struct Tone {
    double frequency = 0; // Hz, to about 0.001 Hz for a clean tone of a few seconds
    double amplitude = 0; // peak amplitude, in the samples' units
};

struct PitchReport {
    std::vector<Tone> tones; // strongest first; empty when there is no tone at all
    double dc = 0;           // mean of the samples
    double rms = 0;          // RMS after the DC is removed

    // Seamlessness of the strongest tone. The recording is cut into short blocks and
    // amplitude and phase are fitted per block at the found frequencies: a click, gap,
    // underrun or phase jump shows as a large phase deviation or a weak block.
    double maxPhaseDeviation = 0;  // radians, largest |block phase - overall phase|
    double minBlockAmplitude = 0;  // weakest block's amplitude / mean block amplitude
    // Largest |sample - fitted tones| relative to the strongest tone's amplitude.
    double maxResidual = 0;

    // Convenience: the frequency of tone i, or 0 when there is none.
    double frequency(std::size_t i = 0) const { return i < tones.size() ? tones[i].frequency : 0.0; }
};

// Finds the strongest one or two tones in samples recorded at rate: coarse FFT peak,
// then the frequency maximising a Hann-windowed DFT's magnitude. A second tone is
// reported only when its amplitude is at least minRelativeAmplitude of the first.
// Works from about 20 Hz up to just below rate/2 with windows of a second or more.
PitchReport measurePitch(std::span<const float> samples, double rate, int maxTones = 2,
                         double minRelativeAmplitude = 0.05);

} // namespace TestSupport
