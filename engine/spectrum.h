#pragma once

#include <complex>
#include <span>
#include <vector>

#include "engine/biquad.h"

namespace orvane {

// In-place radix-2 FFT; the inverse is scaled by 1/N. Fails, leaving the data
// unchanged, unless the size is a power of two.
bool Fft(std::vector<std::complex<double>>& data, bool inverse);

// Magnitudes of bins 0..N/2 of a real signal with their frequencies. Fails for
// a size that is not a power of two or a rate that is not a finite number above 0.
bool MagnitudeSpectrum(const std::vector<double>& signal, std::vector<double>& frequencies,
                       std::vector<double>& magnitudes, double rateHz);

inline constexpr int kImpulseResponseLength = 16384;

// The magnitude response of a filter cascade from its impulse response (an
// impulse of `amplitude`, 16384 samples). On failure both vectors are emptied.
bool ImpulseResponseSpectrum(std::span<Biquad> cascade, std::vector<double>& frequencies,
                             std::vector<double>& magnitudes, double rateHz, double amplitude);

}  // namespace orvane
