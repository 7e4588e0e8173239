#include "graphics/svg_gradients.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_map>

namespace plugkit::graphics::svg {
namespace {

constexpr int kGradients = 2000;

std::string Id(int index) { return "g" + std::to_string(index); }

TEST(SvgGradientsTest, EveryGradientOfAChainIsMergedOnceAndInheritsFromItsEnd) {
  const struct {
    const char* name;
    std::string lastRefersTo;
    size_t merges;
  } cases[] = {
      {"ending at a missing gradient", "", kGradients},
      // The cycle's gradients are merged twice, all but one.
      {"ending in a cycle through its second half", Id(kGradients / 2), kGradients + kGradients / 2 - 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::unordered_map<std::string, GradientElement> elements;
    for (int i = 0; i < kGradients; ++i) elements[Id(i)].reference = i + 1 < kGradients ? Id(i + 1) : c.lastRefersTo;
    GradientElement& last = elements[Id(kGradients - 1)];
    last.stops.push_back({});
    // From the far end, each gradient's walk must stop at the one merged just before.
    for (const bool farEndFirst : {false, true}) {
      SCOPED_TRACE(farEndFirst ? "far end first" : "head first");
      GradientChains chains([&](const std::string& id) {
        const auto found = elements.find(id);
        return found == elements.end() ? nullptr : &found->second;
      });
      for (int n = 0; n < kGradients; ++n) {
        const MergedGradient* merged = chains.Merged(Id(farEndFirst ? kGradients - 1 - n : n));
        ASSERT_NE(merged, nullptr);
        EXPECT_EQ(merged->stops, &last.stops);
      }
      EXPECT_EQ(chains.Merges(), c.merges);
      EXPECT_EQ(chains.Merged("none"), nullptr);
    }
  }
}

}  // namespace
}  // namespace plugkit::graphics::svg
