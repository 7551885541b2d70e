#include "Fft.h"

#include <numbers>

namespace TestSupport {

void fft(std::vector<std::complex<double>>& a)
{
    using Complex = std::complex<double>;
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    std::vector<Complex> twiddle;
    for (std::size_t len = 2; len <= n; len <<= 1) {
        // Each twiddle computed directly, so that rounding does not build up along a stage.
        const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
        twiddle.resize(len / 2);
        for (std::size_t k = 0; k < len / 2; ++k)
            twiddle[k] = std::polar(1.0, angle * static_cast<double>(k));
        for (std::size_t i = 0; i < n; i += len) {
            for (std::size_t k = 0; k < len / 2; ++k) {
                const Complex u = a[i + k];
                const Complex v = a[i + k + len / 2] * twiddle[k];
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

std::size_t fftSizeFor(std::size_t n)
{
    std::size_t size = 1;
    while (size < n)
        size <<= 1;
    return size;
}

} // namespace TestSupport
