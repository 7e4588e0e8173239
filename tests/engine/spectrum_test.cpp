#include "engine/spectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace orvane {
namespace {

TEST(Fft, ASizeThatIsNotAPowerOfTwoFailsAndLeavesTheData) {
  std::vector<std::complex<double>> data{{1, 0}, {2, 0}, {3, 0}};
  const auto copy = data;
  EXPECT_FALSE(Fft(data, false));
  EXPECT_EQ(data, copy);
  std::vector<std::complex<double>> empty;
  EXPECT_FALSE(Fft(empty, false));
}

TEST(Fft, ASineLandsInItsBinAndTheInverseRestoresTheSignal) {
  constexpr int kSize = 64;
  std::vector<std::complex<double>> data(kSize);
  for (int i = 0; i < kSize; ++i) {
    data[i] = std::sin(2.0 * std::numbers::pi * 5.0 * i / kSize);
  }
  const auto original = data;
  ASSERT_TRUE(Fft(data, false));
  EXPECT_NEAR(std::abs(data[5]), kSize / 2.0, 1e-9);
  EXPECT_NEAR(std::abs(data[kSize - 5]), kSize / 2.0, 1e-9);
  EXPECT_NEAR(std::abs(data[4]), 0.0, 1e-9);
  EXPECT_NEAR(data[5].imag(), -kSize / 2.0, 1e-9);  // forward transform uses e^(-i...)
  ASSERT_TRUE(Fft(data, true));
  for (int i = 0; i < kSize; ++i) {
    EXPECT_NEAR(data[i].real(), original[i].real(), 1e-12);
    EXPECT_NEAR(data[i].imag(), 0.0, 1e-12);
  }
}

TEST(MagnitudeSpectrum, RefusesBadSizesAndRates) {
  std::vector<double> f, m;
  EXPECT_FALSE(MagnitudeSpectrum({}, f, m, 48000.0));
  EXPECT_FALSE(MagnitudeSpectrum(std::vector<double>(6, 0.0), f, m, 48000.0));
  EXPECT_FALSE(MagnitudeSpectrum(std::vector<double>(8, 0.0), f, m, 0.0));
  EXPECT_FALSE(MagnitudeSpectrum(std::vector<double>(8, 0.0), f, m, std::nan("")));
  ASSERT_TRUE(MagnitudeSpectrum({2.0, 0, 0, 0, 0, 0, 0, 0}, f, m, 8000.0));
  EXPECT_EQ(f, (std::vector<double>{0, 1000, 2000, 3000, 4000}));
  EXPECT_EQ(m, (std::vector<double>(5, 2.0)));
}

TEST(ImpulseResponseSpectrum, GivesTheCascadesResponseOrEmptyCurves) {
  std::vector<Biquad> cascade(1);
  DesignBiquad(cascade[0], {1000.0, std::sqrt(0.5), 0.0, 0.0, BiquadType::LowPass}, BiquadRamp::Immediate);
  std::vector<double> f, m;
  ASSERT_TRUE(ImpulseResponseSpectrum(cascade, f, m, 48000.0, 2.0));
  ASSERT_EQ(m.size(), static_cast<std::size_t>(kImpulseResponseLength / 2 + 1));
  EXPECT_NEAR(m[0], 2.0, 1e-6);
  const std::size_t bin1k = static_cast<std::size_t>(1000.0 * kImpulseResponseLength / 48000.0 + 0.5);
  EXPECT_NEAR(m[bin1k], 2.0 * std::sqrt(0.5), 0.01);
  EXPECT_FALSE(ImpulseResponseSpectrum(cascade, f, m, 0.0, 1.0));
  EXPECT_TRUE(f.empty());
  EXPECT_TRUE(m.empty());
}

}  // namespace
}  // namespace orvane
