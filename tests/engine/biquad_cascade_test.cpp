#include "engine/biquad_cascade.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane {
namespace {

constexpr double kInputGain = 0.37;

// `count` different sections; every third is disabled when asked, the second
// starts a ramp when asked.
std::vector<Biquad> Sections(int count, bool someDisabled, bool oneRamping) {
  std::vector<Biquad> sections(static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) {
    Biquad& section = sections[static_cast<std::size_t>(k)];
    const BiquadType type = k % 2 == 0 ? BiquadType::Peaking : BiquadType::FirstOrderLowPass;
    DesignBiquad(section, {300.0 + 700.0 * k, 0.5 + 0.1 * k, 4.0 - k, 0.5, type}, BiquadRamp::Immediate);
    section.SetEnabled(!(someDisabled && k % 3 == 2));
  }
  if (oneRamping && count > 1) {
    DesignBiquad(sections[1], {5000.0, 0.7, 0.0, 0.0, BiquadType::HighPass}, BiquadRamp::Ramped);
  }
  return sections;
}

// Sections in series over a block, the same bits as one sample at a time
// through each section in turn; a scaled input is multiplied first.
TEST(BiquadCascade, EqualsTheSectionsOneSampleAtATime) {
  const struct {
    bool someDisabled, oneRamping, scaled;
  } kinds[] = {{false, false, false}, {true, false, false}, {false, true, false}, {false, false, true}};
  for (const auto& kind : kinds) {
    for (int count : {1, 2, 3, 6, 7, 13, 24}) {
      for (int n : {1, 5, 64}) {
        SCOPED_TRACE(std::to_string(count) + " sections, " + std::to_string(n) + " samples, kind " +
                     std::to_string(&kind - kinds));
        std::vector<Biquad> expected = Sections(count, kind.someDisabled, kind.oneRamping);
        std::vector<Biquad> actual = expected;
        std::vector<double> block(static_cast<std::size_t>(n));
        for (int round = 0; round < 3; ++round) {
          for (int i = 0; i < n; ++i) {
            block[static_cast<std::size_t>(i)] = std::sin(0.3 * (i + round * n)) + (i == 0 ? 1.0 : 0.0);
          }
          std::vector<double> reference = block;
          for (double& x : reference) {
            for (std::size_t k = 0; k < expected.size(); ++k) {
              x = expected[k].Process(kind.scaled && k == expected.size() / 2 ? x * kInputGain : x);
            }
          }
          BiquadCascade cascade;
          for (std::size_t k = 0; k < actual.size(); ++k) {
            cascade.Add(actual[k], kind.scaled && k == actual.size() / 2 ? kInputGain : 1.0);
          }
          cascade.Run(block.data(), n);
          for (int i = 0; i < n; ++i) {
            ASSERT_EQ(std::bit_cast<std::uint64_t>(block[static_cast<std::size_t>(i)]),
                      std::bit_cast<std::uint64_t>(reference[static_cast<std::size_t>(i)]))
                << "round " << round << ", sample " << i;
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace orvane
