#include "ToneLevel.h"

#include <vector>

namespace Platform::Sound {

float gainFor(LoopedSound::Headroom headroom)
{
    return headroom == LoopedSound::Headroom::ForTwoTones ? TwoTonesGain : OneToneGain;
}

void removeLoopDc(WavData& wav)
{
    const std::size_t frames = wav.frameCount();
    if (frames == 0)
        return;
    const auto channels = static_cast<std::size_t>(wav.channels);
    std::vector<double> mean(channels, 0.0);
    for (std::size_t i = 0; i < frames * channels; ++i)
        mean[i % channels] += wav.samples[i];
    for (double& m : mean)
        m /= static_cast<double>(frames);
    for (std::size_t i = 0; i < frames * channels; ++i)
        wav.samples[i] = static_cast<float>(wav.samples[i] - mean[i % channels]);
}

} // namespace Platform::Sound
