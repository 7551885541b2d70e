#pragma once

#include <complex>
#include <vector>

namespace TestSupport {

// In-place radix-2 FFT (forward, unscaled); the size must be a power of two.
void fft(std::vector<std::complex<double>>& a);

// The smallest power of two at or above n.
std::size_t fftSizeFor(std::size_t n);

} // namespace TestSupport
