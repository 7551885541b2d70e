#include "StreamFeed.h"

#include "platform/LoopedSound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Platform::Sound {

double rampUp(std::size_t i, std::size_t length)
{
    if (i >= length)
        return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * (static_cast<double>(i) + 0.5) / static_cast<double>(length));
}

double rampDown(std::size_t i, std::size_t length)
{
    return i >= length ? 0.0 : rampUp(length - 1 - i, length);
}

StreamFeed::StreamFeed(std::unique_ptr<LoopResampler> resampler, float level, std::size_t rememberedFrames)
    : loop(std::move(resampler)), gain(level),
      fade(std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(LoopedSound::FadeSeconds * loop->outputRate())))),
      remembered(std::max<std::size_t>(rememberedFrames, 1), 0.0f)
{
}

void StreamFeed::render(float* out, std::size_t frames)
{
    loop->render(out, frames);
    for (std::size_t f = 0; f < frames; ++f) {
        const auto position = static_cast<std::size_t>(given) + f;
        out[f] = static_cast<float>(out[f] * (gain * rampUp(position - static_cast<std::size_t>(riseFrom), fade)));
        remembered[position % remembered.size()] = out[f];
    }
    given += static_cast<std::int64_t>(frames);
}

std::vector<float> StreamFeed::fadeOutFrom(std::int64_t from, std::int64_t& startsAt)
{
    const std::int64_t oldest = std::max<std::int64_t>(0, given - static_cast<std::int64_t>(remembered.size()));
    from = std::max(from, oldest);
    startsAt = from;

    if (from >= given) {
        // The server ran dry (a gap was heard anyway): the loop goes on from where it
        // was, fading, at the position asked for.
        std::vector<float> out(fade);
        render(out.data(), fade);
        for (std::size_t i = 0; i < fade; ++i)
            out[i] = static_cast<float>(out[i] * rampDown(i, fade));
        return out;
    }
    // The fade may reach past what was given: the loop goes on for it.
    const std::int64_t fadeEnd = from + static_cast<std::int64_t>(fade);
    if (fadeEnd > given) {
        std::vector<float> more(static_cast<std::size_t>(fadeEnd - given));
        render(more.data(), static_cast<std::size_t>(fadeEnd - given));
    }
    const std::int64_t end = std::max(fadeEnd, given);
    std::vector<float> out(static_cast<std::size_t>(end - from), 0.0f);
    for (std::size_t i = 0; i < fade; ++i)
        out[i] = static_cast<float>(remembered[(static_cast<std::size_t>(from) + i) % remembered.size()] * rampDown(i, fade));
    return out;
}

} // namespace Platform::Sound
