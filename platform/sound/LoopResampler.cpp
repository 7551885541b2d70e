#include "LoopResampler.h"

#include <soxr.h>

#include <algorithm>
#include <cstring>

namespace Platform::Sound {

namespace {

// Files shorter than this are repeated into a period at least this long.
constexpr std::size_t MinPeriodFrames = 4096;
// Largest piece of input handed to soxr in one call.
constexpr std::size_t MaxFeedFrames = 16384;
// The decimated rate stays at least this many times the output rate.
constexpr double MinDecimatedRatio = 2.2;
// Input run through the decimator before its output is steady, at the least.
constexpr std::size_t DecimatorWarmFrames = 1 << 16;

// wideBand: keep the band up to LoopResampler::PassbandEnd; otherwise soxr's usual band,
// which a decimator needs no more than (its output stays above 2.2 times the final rate).
soxr_t createSoxr(double inputRate, double outputRate, bool wideBand)
{
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    if (wideBand)
        quality.passband_end = LoopResampler::PassbandEnd;
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    soxr_t s = soxr_create(inputRate, outputRate, 1, &error, &io, &quality, &runtime);
    if (error && s) {
        soxr_delete(s);
        s = nullptr;
    }
    return s;
}

// The largest factor that divides frames and keeps rate / factor at or above minRate.
unsigned decimationFactor(std::size_t frames, double rate, double minRate)
{
    const double limit = rate / minRate;
    if (limit < 2.0)
        return 1;
    const auto largest = static_cast<std::size_t>(std::min(limit, 1e6));
    for (std::size_t d = std::min(largest, frames); d >= 2; --d)
        if (frames % d == 0)
            return static_cast<unsigned>(d);
    return 1;
}

} // namespace

std::unique_ptr<LoopResampler> LoopResampler::create(std::shared_ptr<const WavData> wav, double outputRate)
{
    if (!wav || wav->sampleRate < 1 || !(outputRate >= 1.0))
        return nullptr;
    std::unique_ptr<LoopResampler> r(new LoopResampler(std::move(wav), outputRate));
    if (r->periodFrames > 0 && !r->resampler)
        return nullptr;
    return r;
}

LoopResampler::LoopResampler(std::shared_ptr<const WavData> data, double outputRate)
    : wav(std::move(data)), rate(outputRate)
{
    const std::size_t frames = wav->samples.size();
    if (frames == 0)
        return;

    period = wav->samples.data();
    periodFrames = frames;
    const unsigned by = decimationFactor(frames, static_cast<double>(wav->sampleRate), MinDecimatedRatio * rate);
    if (by > 1 && !decimate(by))
        return;

    if (periodFrames < MinPeriodFrames) {
        const std::size_t copies = (MinPeriodFrames + periodFrames - 1) / periodFrames;
        std::vector<float> copy;
        copy.reserve(copies * periodFrames);
        for (std::size_t i = 0; i < copies; ++i)
            copy.insert(copy.end(), period, period + periodFrames);
        repeated = std::move(copy);
        period = repeated.data();
        periodFrames = copies * periodFrames;
    }

    // The ratio as the file's rate over factor times the output rate: for a decimated loop
    // the intermediate rate need not be a whole number.
    resampler = createSoxr(static_cast<double>(wav->sampleRate), rate * factor, true);
}

bool LoopResampler::decimate(unsigned by)
{
    // Run the loop round and round through an exact by:1 decimator until its output is
    // steady, then keep one period: frames / by outputs, which continue seamlessly into
    // themselves because by divides the loop.
    soxr_t s = createSoxr(static_cast<double>(by), 1.0, false);
    if (!s)
        return false;
    const std::size_t frames = periodFrames;
    const std::size_t out = frames / by;
    const std::size_t warmPeriods = (DecimatorWarmFrames + frames - 1) / frames;
    const std::size_t wanted = (warmPeriods + 1) * out;
    std::vector<float> result(out);
    std::vector<float> buffer(std::min<std::size_t>(wanted, 8192));
    std::size_t made = 0;
    std::size_t pos = 0;
    int idle = 0;
    while (made < wanted) {
        const std::size_t feed = std::min(frames - pos, MaxFeedFrames);
        const std::size_t room = std::min(wanted - made, buffer.size());
        std::size_t used = 0;
        std::size_t got = 0;
        if (soxr_process(s, period + pos, feed, &used, buffer.data(), room, &got)) {
            soxr_delete(s);
            return false;
        }
        pos = (pos + used) % frames;
        // Keep the last period: output index j lands at j % out.
        for (std::size_t i = 0; i < got; ++i) {
            const std::size_t j = made + i;
            if (j >= wanted - out)
                result[j % out] = buffer[i];
        }
        made += got;
        idle = (used == 0 && got == 0) ? idle + 1 : 0;
        if (idle > 4) {
            soxr_delete(s);
            return false;
        }
    }
    soxr_delete(s);
    decimated = std::move(result);
    period = decimated.data();
    periodFrames = out;
    factor = by;
    return true;
}

LoopResampler::~LoopResampler()
{
    if (resampler)
        soxr_delete(resampler);
}

void LoopResampler::render(float* out, std::size_t frames)
{
    std::size_t done = 0;
    int idle = 0;
    while (resampler && done < frames) {
        const std::size_t feed = std::min(periodFrames - position, MaxFeedFrames);
        std::size_t used = 0;
        std::size_t made = 0;
        const soxr_error_t error
            = soxr_process(resampler, period + position, feed, &used, out + done, frames - done, &made);
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
        std::memset(out + done, 0, (frames - done) * sizeof(float));
}

} // namespace Platform::Sound
