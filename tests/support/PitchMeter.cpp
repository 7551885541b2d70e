#include "PitchMeter.h"

#include "Fft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace TestSupport {

namespace {

using Complex = std::complex<double>;
constexpr double TwoPi = 2.0 * std::numbers::pi;

// Magnitude of the windowed DFT of x at frequency f (cycles per sample).
double dftMagnitude(const std::vector<double>& windowed, double f)
{
    Complex sum = 0;
    const std::size_t n = windowed.size();
    // Phasor recomputed exactly every block to keep rounding from accumulating.
    constexpr std::size_t Block = 1024;
    const Complex step = std::polar(1.0, -TwoPi * f);
    for (std::size_t start = 0; start < n; start += Block) {
        Complex phasor = std::polar(1.0, -TwoPi * f * static_cast<double>(start));
        const std::size_t end = std::min(n, start + Block);
        for (std::size_t i = start; i < end; ++i) {
            sum += windowed[i] * phasor;
            phasor *= step;
        }
    }
    return std::abs(sum);
}

double refinePeak(const std::vector<double>& windowed, double lo, double hi)
{
    // Golden-section search for the maximum of the (unimodal near the peak) magnitude.
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    double a = lo, b = hi;
    double c = b - g * (b - a), d = a + g * (b - a);
    double fc = dftMagnitude(windowed, c), fd = dftMagnitude(windowed, d);
    for (int i = 0; i < 80 && (b - a) > 1e-13; ++i) {
        if (fc > fd) {
            b = d;
            d = c;
            fd = fc;
            c = b - g * (b - a);
            fc = dftMagnitude(windowed, c);
        } else {
            a = c;
            c = d;
            fc = fd;
            d = a + g * (b - a);
            fd = dftMagnitude(windowed, d);
        }
    }
    return (a + b) / 2.0;
}

// Least-squares fit of dc + sum(a_k cos + b_k sin) at the given frequencies (cycles per
// sample) over x[start, start + count), time counted from sample 0 of the recording.
// Returns dc, then a_k, b_k per tone.
std::vector<double> fitTones(const std::vector<double>& x, std::size_t start, std::size_t count,
                             const std::vector<double>& freqs)
{
    const std::size_t m = 1 + 2 * freqs.size();
    std::vector<double> ata(m * m, 0.0), atb(m, 0.0), row(m);
    std::vector<Complex> phasor(freqs.size()), step(freqs.size());
    for (std::size_t k = 0; k < freqs.size(); ++k)
        step[k] = std::polar(1.0, TwoPi * freqs[k]);
    for (std::size_t i = start; i < start + count; ++i) {
        if ((i - start) % 1024 == 0)
            for (std::size_t k = 0; k < freqs.size(); ++k)
                phasor[k] = std::polar(1.0, TwoPi * freqs[k] * static_cast<double>(i));
        row[0] = 1.0;
        for (std::size_t k = 0; k < freqs.size(); ++k) {
            row[1 + 2 * k] = phasor[k].real();
            row[2 + 2 * k] = phasor[k].imag();
            phasor[k] *= step[k];
        }
        for (std::size_t r = 0; r < m; ++r) {
            atb[r] += row[r] * x[i];
            for (std::size_t c = 0; c < m; ++c)
                ata[r * m + c] += row[r] * row[c];
        }
    }
    // Gaussian elimination with partial pivoting.
    for (std::size_t col = 0; col < m; ++col) {
        std::size_t pivot = col;
        for (std::size_t r = col + 1; r < m; ++r)
            if (std::abs(ata[r * m + col]) > std::abs(ata[pivot * m + col]))
                pivot = r;
        if (std::abs(ata[pivot * m + col]) < 1e-12)
            return std::vector<double>(m, 0.0);
        if (pivot != col) {
            for (std::size_t c = 0; c < m; ++c)
                std::swap(ata[col * m + c], ata[pivot * m + c]);
            std::swap(atb[col], atb[pivot]);
        }
        for (std::size_t r = col + 1; r < m; ++r) {
            const double factor = ata[r * m + col] / ata[col * m + col];
            for (std::size_t c = col; c < m; ++c)
                ata[r * m + c] -= factor * ata[col * m + c];
            atb[r] -= factor * atb[col];
        }
    }
    std::vector<double> solution(m);
    for (std::size_t r = m; r-- > 0;) {
        double s = atb[r];
        for (std::size_t c = r + 1; c < m; ++c)
            s -= ata[r * m + c] * solution[c];
        solution[r] = s / ata[r * m + r];
    }
    return solution;
}

double wrapPhase(double p)
{
    p = std::fmod(p + std::numbers::pi, TwoPi);
    if (p < 0)
        p += TwoPi;
    return p - std::numbers::pi;
}

} // namespace

PitchReport measurePitch(std::span<const float> samples, double rate, int maxTones, double minRelativeAmplitude)
{
    PitchReport report;
    const std::size_t n = samples.size();
    if (n < 64 || rate <= 0 || maxTones < 1)
        return report;

    double mean = 0;
    for (float s : samples)
        mean += s;
    mean /= static_cast<double>(n);
    report.dc = mean;

    std::vector<double> x(n);
    double energy = 0;
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = samples[i] - mean;
        energy += x[i] * x[i];
    }
    report.rms = std::sqrt(energy / static_cast<double>(n));
    if (report.rms < 1e-9)
        return report;

    std::vector<double> windowed(n);
    double windowSum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double w = 0.5 - 0.5 * std::cos(TwoPi * static_cast<double>(i) / static_cast<double>(n - 1));
        windowed[i] = w * x[i];
        windowSum += w;
    }

    const std::size_t fftSize = fftSizeFor(n);
    std::vector<Complex> spectrum(fftSize);
    for (std::size_t i = 0; i < n; ++i)
        spectrum[i] = windowed[i];
    fft(spectrum);
    std::vector<double> magnitude(fftSize / 2);
    for (std::size_t k = 0; k < magnitude.size(); ++k)
        magnitude[k] = std::abs(spectrum[k]);

    // Local maxima, strongest first; a second peak must lie beyond the first one's
    // Hann main lobe (two bins of the recording's own resolution).
    const double binsPerResolution = static_cast<double>(fftSize) / static_cast<double>(n);
    const auto exclusion = static_cast<std::ptrdiff_t>(std::ceil(3.0 * binsPerResolution));
    std::vector<std::size_t> peaks;
    for (int t = 0; t < maxTones; ++t) {
        std::size_t best = 0;
        double bestMagnitude = -1;
        for (std::size_t k = 1; k + 1 < magnitude.size(); ++k) {
            if (magnitude[k] < magnitude[k - 1] || magnitude[k] < magnitude[k + 1])
                continue;
            bool nearFound = false;
            for (std::size_t p : peaks)
                nearFound = nearFound || std::abs(static_cast<std::ptrdiff_t>(k) - static_cast<std::ptrdiff_t>(p)) <= exclusion;
            if (!nearFound && magnitude[k] > bestMagnitude) {
                best = k;
                bestMagnitude = magnitude[k];
            }
        }
        if (bestMagnitude <= 0)
            break;
        peaks.push_back(best);
    }

    std::vector<double> freqs; // cycles per sample
    for (std::size_t p : peaks) {
        const double bin = 1.0 / static_cast<double>(fftSize);
        const double centre = static_cast<double>(p) * bin;
        const double f = refinePeak(windowed, std::max(1e-9, centre - 1.5 * bin), std::min(0.5, centre + 1.5 * bin));
        const double amplitude = 2.0 * dftMagnitude(windowed, f) / windowSum;
        if (!report.tones.empty() && amplitude < minRelativeAmplitude * report.tones.front().amplitude)
            continue;
        report.tones.push_back({f * rate, amplitude});
        freqs.push_back(f);
    }
    std::vector<std::size_t> order(report.tones.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return report.tones[a].amplitude > report.tones[b].amplitude; });
    std::vector<Tone> sortedTones;
    std::vector<double> sortedFreqs;
    for (std::size_t i : order) {
        sortedTones.push_back(report.tones[i]);
        sortedFreqs.push_back(freqs[i]);
    }
    report.tones = sortedTones;
    freqs = sortedFreqs;
    if (freqs.empty())
        return report;

    // Overall fit and its residual.
    const std::vector<double> overall = fitTones(x, 0, n, freqs);
    const double overallPhase = std::atan2(overall[2], overall[1]);
    const double overallAmplitude = std::hypot(overall[1], overall[2]);
    if (overallAmplitude <= 0)
        return report;
    {
        std::vector<Complex> phasor(freqs.size()), step(freqs.size());
        for (std::size_t k = 0; k < freqs.size(); ++k)
            step[k] = std::polar(1.0, TwoPi * freqs[k]);
        double worst = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (i % 1024 == 0)
                for (std::size_t k = 0; k < freqs.size(); ++k)
                    phasor[k] = std::polar(1.0, TwoPi * freqs[k] * static_cast<double>(i));
            double model = overall[0];
            for (std::size_t k = 0; k < freqs.size(); ++k) {
                model += overall[1 + 2 * k] * phasor[k].real() + overall[2 + 2 * k] * phasor[k].imag();
                phasor[k] *= step[k];
            }
            worst = std::max(worst, std::abs(x[i] - model));
        }
        report.maxResidual = worst / overallAmplitude;
    }

    // Blocks: at least 10 ms and two periods of the lowest tone, and, with two tones, long
    // enough to tell them apart.
    const double lowest = *std::min_element(freqs.begin(), freqs.end());
    double span = std::max(0.01 * rate, 2.0 / lowest);
    if (freqs.size() > 1)
        span = std::max(span, 4.0 / std::abs(freqs[0] - freqs[1]));
    const auto block = static_cast<std::size_t>(std::ceil(span));
    std::vector<double> amplitudes;
    double worstPhase = 0;
    for (std::size_t start = 0; start + block <= n; start += block) {
        const std::vector<double> fit = fitTones(x, start, block, freqs);
        amplitudes.push_back(std::hypot(fit[1], fit[2]));
        worstPhase = std::max(worstPhase, std::abs(wrapPhase(std::atan2(fit[2], fit[1]) - overallPhase)));
    }
    if (!amplitudes.empty()) {
        double sum = 0;
        for (double a : amplitudes)
            sum += a;
        const double meanAmplitude = sum / static_cast<double>(amplitudes.size());
        report.minBlockAmplitude
            = meanAmplitude > 0 ? *std::min_element(amplitudes.begin(), amplitudes.end()) / meanAmplitude : 0.0;
        report.maxPhaseDeviation = worstPhase;
    }
    return report;
}

} // namespace TestSupport
