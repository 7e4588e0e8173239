#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "framework/plugin_base.h"
#include "support/alloc_counter.h"

namespace plugkit {
namespace {

constexpr int kRounds = 20000;

class ValuesPlugin : public IPluginBase {
public:
  ValuesPlugin() : IPluginBase(2, 0) {
    for (int i = 0; i < NParams(); ++i) GetParam(i)->InitGain("G", 0.0, -10.0, 10.0, 0.5, IParam::kFlagStepped);
  }
};

// The render thread reads parameter values while the host's state call writes them.
TEST(ParamValueConcurrencyTest, ValuesAreReadWhileAChunkIsApplied) {
  ValuesPlugin plugin;
  IStateChunk chunk;
  chunk.Put(2.5);
  chunk.Put(-7.0);

  std::atomic<bool> done{false};
  std::thread render([&] {
    orvane::testing::ScopedAllocationCount allocations;
    double seen = 0.0;
    while (!done.load()) {
      for (int i = 0; i < plugin.NParams(); ++i) {
        const IParam& param = *plugin.GetParam(i);
        seen += param.ToNormalized(param.Constrain(param.Value()));
      }
    }
    EXPECT_TRUE(std::isfinite(seen));
    EXPECT_EQ(allocations.Count(), 0u);
  });
  for (int round = 0; round < kRounds; ++round) plugin.ReadParamValues(chunk, 0);
  done.store(true);
  render.join();
  EXPECT_EQ(plugin.GetParam(0)->Value(), 2.5);
  EXPECT_EQ(plugin.GetParam(1)->Value(), -7.0);
}

}  // namespace
}  // namespace plugkit
