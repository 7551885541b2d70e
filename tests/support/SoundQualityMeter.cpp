#include "SoundQualityMeter.h"

#include "Fft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace TestSupport {

namespace {

using Complex = std::complex<double>;

constexpr double Silence = -200;
// Half the width of the window's main lobe, in bins of the windowed length.
constexpr double MainLobeBins = 4;
// Left out around a tone, a harmonic or DC in the long FFT: the main lobe and two
// bins more for a tone that wavers a little.
constexpr double ExcludedBins = MainLobeBins + 2;
// The click frames and what they leave out.
constexpr double FrameSeconds = 0.020;
constexpr double HopSeconds = 0.005;
constexpr double ClickToneGuardHz = 800;
constexpr double ClickFloorHz = 250;

std::vector<double> blackmanHarris(std::size_t n)
{
    std::vector<double> w(n);
    const double step = 2.0 * std::numbers::pi / static_cast<double>(n - 1);
    for (std::size_t i = 0; i < n; ++i) {
        const double x = step * static_cast<double>(i);
        w[i] = 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
    }
    return w;
}

// True when frequency lies within guard Hz of DC, a tone or one of its harmonics.
bool nearTone(double frequency, const ToneSet& tones, double rate, double guard, bool withDc)
{
    if (withDc && frequency < guard)
        return true;
    const double top = tones.harmonicsUpTo > 0 ? tones.harmonicsUpTo : rate / 2;
    for (double f : tones.frequencies) {
        if (f <= 0)
            continue;
        // Any harmonic k f, up to the top one, within guard of the frequency.
        const double lowest = std::max(1.0, std::ceil((frequency - guard) / f));
        const double highest = std::min(std::floor((frequency + guard) / f), std::floor(top / f + 1e-9));
        if (lowest <= highest)
            return true;
    }
    return false;
}

// FFT of window * samples[from, from + window.size()), zero-padded to size.
std::vector<Complex> windowedFft(std::span<const float> samples, std::size_t from, const std::vector<double>& window,
                                      std::size_t size)
{
    std::vector<Complex> bins(size);
    for (std::size_t i = 0; i < window.size(); ++i)
        bins[i] = window[i] * static_cast<double>(samples[from + i]);
    fft(bins);
    return bins;
}

} // namespace

double clippedFraction(std::span<const float> samples)
{
    if (samples.empty())
        return 0;
    constexpr float FullScale = 32767.0f / 32768.0f;
    const auto clipped = std::count_if(samples.begin(), samples.end(), [](float s) { return std::abs(s) >= FullScale; });
    return static_cast<double>(clipped) / static_cast<double>(samples.size());
}

double strongestSpurDbfs(std::span<const float> samples, double rate, const ToneSet& tones)
{
    const std::size_t n = samples.size();
    if (n < 64 || rate <= 0)
        return Silence;
    const std::vector<double> window = blackmanHarris(n);
    double windowSum = 0;
    for (double w : window)
        windowSum += w;
    // Zero-padded to twice the length or more, so that a component between bins loses at
    // most about 0.2 dB.
    const std::size_t size = fftSizeFor(2 * n);
    const std::vector<Complex> bins = windowedFft(samples, 0, window, size);
    const double binHz = rate / static_cast<double>(size);
    const double guard = ExcludedBins * rate / static_cast<double>(n);
    double strongest = 0;
    for (std::size_t k = 1; k < size / 2; ++k) {
        if (!nearTone(static_cast<double>(k) * binHz, tones, rate, guard, true))
            strongest = std::max(strongest, std::abs(bins[k]));
    }
    // A sine of amplitude A peaks at A * sum(w) / 2.
    const double amplitude = 2.0 * strongest / windowSum;
    return amplitude > 0 ? std::max(Silence, 20.0 * std::log10(amplitude)) : Silence;
}

double loudestClickDbfs(std::span<const float> samples, double rate, const ToneSet& tones)
{
    const auto frame = static_cast<std::size_t>(std::lround(FrameSeconds * rate));
    const auto hop = static_cast<std::size_t>(std::lround(HopSeconds * rate));
    if (frame < 16 || hop < 1 || samples.size() < frame)
        return Silence;
    const std::vector<double> window = blackmanHarris(frame);
    double windowEnergy = 0;
    for (double w : window)
        windowEnergy += w * w;
    const std::size_t size = fftSizeFor(2 * frame);
    const double binHz = rate / static_cast<double>(size);
    std::vector<std::size_t> counted;
    for (std::size_t k = 1; k < size / 2; ++k) {
        const double f = static_cast<double>(k) * binHz;
        if (f > ClickFloorHz && !nearTone(f, tones, rate, ClickToneGuardHz, false))
            counted.push_back(k);
    }
    // A full-scale sine puts sum(w^2) / 2 into the frame; by Parseval a one-sided bin k
    // holds 2 |X_k|^2 / size of it.
    const double fullScale = windowEnergy / 2;
    double loudest = 0;
    for (std::size_t from = 0; from + frame <= samples.size(); from += hop) {
        const std::vector<Complex> bins = windowedFft(samples, from, window, size);
        double energy = 0;
        for (std::size_t k : counted)
            energy += std::norm(bins[k]);
        loudest = std::max(loudest, 2.0 * energy / static_cast<double>(size));
    }
    return loudest > 0 ? std::max(Silence, 10.0 * std::log10(loudest / fullScale)) : Silence;
}

} // namespace TestSupport
