#include "engine/spectrum.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace orvane {
namespace {

bool IsPowerOfTwo(std::size_t n) {
  return n >= 1 && (n & (n - 1)) == 0;
}

void BitReversePermute(std::vector<std::complex<double>>& data) {
  const std::size_t n = data.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) {
      j ^= bit;
    }
    j ^= bit;
    if (i < j) {
      std::swap(data[i], data[j]);
    }
  }
}

}  // namespace

bool Fft(std::vector<std::complex<double>>& data, bool inverse) {
  const std::size_t n = data.size();
  if (!IsPowerOfTwo(n)) {
    return false;
  }
  BitReversePermute(data);
  const double sign = inverse ? 1.0 : -1.0;
  for (std::size_t length = 2; length <= n; length <<= 1) {
    const double angle = sign * 2.0 * std::numbers::pi / static_cast<double>(length);
    const std::complex<double> step(std::cos(angle), std::sin(angle));
    for (std::size_t start = 0; start < n; start += length) {
      std::complex<double> twiddle(1.0, 0.0);
      for (std::size_t k = 0; k < length / 2; ++k) {
        const std::complex<double> even = data[start + k];
        const std::complex<double> odd = data[start + k + length / 2] * twiddle;
        data[start + k] = even + odd;
        data[start + k + length / 2] = even - odd;
        twiddle *= step;
      }
    }
  }
  if (inverse) {
    const double scale = 1.0 / static_cast<double>(n);
    for (std::complex<double>& value : data) {
      value *= scale;
    }
  }
  return true;
}

bool MagnitudeSpectrum(const std::vector<double>& signal, std::vector<double>& frequencies,
                       std::vector<double>& magnitudes, double rateHz) {
  const std::size_t n = signal.size();
  if (n == 0 || !IsPowerOfTwo(n) || !(rateHz > 0.0) || !std::isfinite(rateHz)) {
    return false;
  }
  std::vector<std::complex<double>> bins(signal.begin(), signal.end());
  Fft(bins, false);
  const std::size_t count = n / 2 + 1;
  frequencies.resize(count);
  magnitudes.resize(count);
  for (std::size_t k = 0; k < count; ++k) {
    frequencies[k] = static_cast<double>(k) * rateHz / static_cast<double>(n);
    magnitudes[k] = std::hypot(bins[k].real(), bins[k].imag());
  }
  return true;
}

bool ImpulseResponseSpectrum(std::span<Biquad> cascade, std::vector<double>& frequencies,
                             std::vector<double>& magnitudes, double rateHz, double amplitude) {
  std::vector<double> response(kImpulseResponseLength, 0.0);
  for (std::size_t i = 0; i < response.size(); ++i) {
    double x = i == 0 ? amplitude : 0.0;
    for (Biquad& filter : cascade) {
      x = filter.Process(x);
    }
    response[i] = x;
  }
  if (!MagnitudeSpectrum(response, frequencies, magnitudes, rateHz)) {
    frequencies.clear();
    magnitudes.clear();
    return false;
  }
  return true;
}

}  // namespace orvane
