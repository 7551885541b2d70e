#include "ToneLevel.h"

namespace Platform::Sound {

float gainFor(LoopedSound::Headroom headroom)
{
    return headroom == LoopedSound::Headroom::ForTwoTones ? TwoTonesGain : OneToneGain;
}

void removeLoopDc(WavData& wav)
{
    if (wav.samples.empty())
        return;
    double mean = 0.0;
    for (float s : wav.samples)
        mean += s;
    mean /= static_cast<double>(wav.samples.size());
    for (float& s : wav.samples)
        s = static_cast<float>(s - mean);
}

} // namespace Platform::Sound
