#include "LoopResampler.h"

#include <soxr.h>

#include <algorithm>
#include <cstring>

namespace Platform::Sound {

namespace {

// Files shorter than this are repeated into a period at least this long.
constexpr std::size_t kMinPeriodFrames = 4096;
// Largest piece of input handed to soxr in one call.
constexpr std::size_t kMaxFeedFrames = 16384;

} // namespace

std::unique_ptr<LoopResampler> LoopResampler::create(std::shared_ptr<const WavData> wav, double outputRate)
{
    if (!wav || wav->channels < 1 || wav->sampleRate < 1 || !(outputRate >= 1.0))
        return nullptr;
    std::unique_ptr<LoopResampler> r(new LoopResampler(std::move(wav), outputRate));
    if (r->periodFrames > 0 && !r->resampler)
        return nullptr;
    return r;
}

LoopResampler::LoopResampler(std::shared_ptr<const WavData> data, double outputRate)
    : wav(std::move(data)), channelCount(wav->channels), rate(outputRate)
{
    const std::size_t frames = wav->frameCount();
    if (frames == 0)
        return;

    const auto ch = static_cast<std::size_t>(channelCount);
    if (frames >= kMinPeriodFrames) {
        period = wav->samples.data();
        periodFrames = frames;
    } else {
        const std::size_t copies = (kMinPeriodFrames + frames - 1) / frames;
        repeated.reserve(copies * frames * ch);
        for (std::size_t i = 0; i < copies; ++i)
            repeated.insert(repeated.end(), wav->samples.begin(), wav->samples.begin() + static_cast<std::ptrdiff_t>(frames * ch));
        period = repeated.data();
        periodFrames = copies * frames;
    }

    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    resampler = soxr_create(static_cast<double>(wav->sampleRate), rate, static_cast<unsigned>(channelCount), &error, &io,
                            &quality, &runtime);
    if (error && resampler) {
        soxr_delete(resampler);
        resampler = nullptr;
    }
}

LoopResampler::~LoopResampler()
{
    if (resampler)
        soxr_delete(resampler);
}

void LoopResampler::render(float* out, std::size_t frames)
{
    const auto ch = static_cast<std::size_t>(channelCount);
    std::size_t done = 0;
    int idle = 0;
    while (resampler && done < frames) {
        const std::size_t feed = std::min(periodFrames - position, kMaxFeedFrames);
        std::size_t used = 0;
        std::size_t made = 0;
        const soxr_error_t error
            = soxr_process(resampler, period + position * ch, feed, &used, out + done * ch, frames - done, &made);
        if (error)
            break;
        position += used;
        if (position >= periodFrames)
            position = 0;
        done += made;
        // soxr always takes input or gives output; guard against it doing neither.
        idle = (used == 0 && made == 0) ? idle + 1 : 0;
        if (idle > 4)
            break;
    }
    if (done < frames)
        std::memset(out + done * ch, 0, (frames - done) * ch * sizeof(float));
}

} // namespace Platform::Sound
