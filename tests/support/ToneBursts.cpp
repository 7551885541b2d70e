#include "ToneBursts.h"

#include <algorithm>
#include <cmath>

namespace TestSupport {

namespace {

std::span<const float> around(const std::vector<float>& samples, std::size_t index, double beforeS, double afterS,
                              double rate)
{
    const auto before = static_cast<std::size_t>(beforeS * rate);
    const auto after = static_cast<std::size_t>(afterS * rate);
    const std::size_t from = index - std::min(index, before);
    const std::size_t to = std::min(samples.size(), index + after);
    return std::span<const float>(samples).subspan(from, to - from);
}

// First and last index in [from, to) whose sample lies above level.
std::optional<std::pair<std::size_t, std::size_t>> above(const std::vector<float>& s, std::size_t from, std::size_t to,
                                                         float level)
{
    to = std::min(to, s.size());
    std::optional<std::pair<std::size_t, std::size_t>> span;
    for (std::size_t i = from; i < to; ++i) {
        if (std::abs(s[i]) <= level)
            continue;
        if (!span)
            span = std::pair {i, i};
        span->second = i;
    }
    return span;
}

} // namespace

std::optional<ToneBurst> findBurst(const std::vector<float>& samples, std::size_t from, std::size_t to)
{
    const auto any = above(samples, from, to, 0.0f);
    const auto heard = above(samples, from, to, AudibleLevel);
    if (!any || !heard)
        return std::nullopt;
    return ToneBurst {any->first, any->second, heard->first, heard->second};
}

double onsetClickDbfs(const std::vector<float>& samples, const ToneBurst& burst, double rate, const ToneSet& tones)
{
    return loudestClickDbfs(around(samples, burst.first, 0.030, 0.060, rate), rate, tones);
}

double endClickDbfs(const std::vector<float>& samples, const ToneBurst& burst, double rate, const ToneSet& tones)
{
    return loudestClickDbfs(around(samples, burst.last, 0.060, 0.030, rate), rate, tones);
}

} // namespace TestSupport
