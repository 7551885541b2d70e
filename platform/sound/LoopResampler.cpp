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

// Feeds s the period round and round from position on until it has made frames frames
// into out; returns how many it made before it failed.
std::size_t pump(soxr_t s, const float* period, std::size_t periodFrames, std::size_t& position, float* out,
                 std::size_t frames)
{
    std::size_t done = 0;
    int idle = 0;
    while (done < frames) {
        std::size_t used = 0;
        std::size_t made = 0;
        if (soxr_process(s, period + position, std::min(periodFrames - position, MaxFeedFrames), &used, out + done,
                         frames - done, &made))
            break;
        position = (position + used) % periodFrames;
        done += made;
        // soxr always takes input or gives output; guard against it doing neither.
        idle = (used == 0 && made == 0) ? idle + 1 : 0;
        if (idle > 4)
            break;
    }
    return done;
}

} // namespace

void LoopResampler::SoxrDeleter::operator()(soxr* s) const
{
    soxr_delete(s);
}

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
    : wav(std::move(data)), rate(outputRate), period(wav->samples.data()), periodFrames(wav->samples.size())
{
    if (periodFrames == 0)
        return;
    const unsigned by = decimationFactor(periodFrames, static_cast<double>(wav->sampleRate), MinDecimatedRatio * rate);
    if (by > 1 && !decimate(by))
        return;
    if (periodFrames < MinPeriodFrames) {
        std::vector<float> copies;
        while (copies.size() < MinPeriodFrames)
            copies.insert(copies.end(), period, period + periodFrames);
        own = std::move(copies);
        period = own.data();
        periodFrames = own.size();
    }
    // The ratio as the file's rate over factor times the output rate: for a decimated loop
    // the intermediate rate need not be a whole number.
    resampler.reset(createSoxr(static_cast<double>(wav->sampleRate), rate * factor, true));
}

// Runs the loop round and round through an exact by:1 decimator until its output is
// steady, then keeps one period: frames / by outputs, which continue seamlessly into
// themselves because by divides the loop.
bool LoopResampler::decimate(unsigned by)
{
    const Soxr decimator(createSoxr(static_cast<double>(by), 1.0, false));
    if (!decimator)
        return false;
    const std::size_t out = periodFrames / by;
    const std::size_t wanted = ((DecimatorWarmFrames + periodFrames - 1) / periodFrames + 1) * out;
    std::vector<float> made(wanted);
    std::size_t from = 0;
    if (pump(decimator.get(), period, periodFrames, from, made.data(), wanted) < wanted)
        return false;
    own.assign(made.end() - static_cast<std::ptrdiff_t>(out), made.end());
    period = own.data();
    periodFrames = out;
    factor = by;
    return true;
}

void LoopResampler::render(float* out, std::size_t frames)
{
    const std::size_t done = resampler ? pump(resampler.get(), period, periodFrames, position, out, frames) : 0;
    std::memset(out + done, 0, (frames - done) * sizeof(float));
}

} // namespace Platform::Sound
