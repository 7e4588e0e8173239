// The product as a host sees it: the component bundle loaded through the host
// library and driven through its C interface.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include <standin/four_char_code.h>
#include <standin/testing/bundles.h>
#include <standin/testing/objects.h>

#include "host/audio_unit_instance.h"
#include "host/component_bundle.h"
#include "scoped_test_folder.h"

namespace fs = std::filesystem;

namespace orvane::testing {
namespace {

const host::ComponentBundle& ProductBundle() {
  static const host::ComponentBundle* bundle = [] {
    standin::testing::RegisterBundle(ORVANE_PRODUCT_BUNDLE);
    std::string error;
    auto loaded = host::ComponentBundle::Load(ORVANE_PRODUCT_BUNDLE, error);
    EXPECT_NE(loaded, nullptr) << error;
    return loaded.release();
  }();
  return *bundle;
}

class ProductBundle_ : public ::testing::Test {
protected:
  std::unique_ptr<host::AudioUnitInstance> Open() {
    OSStatus status = noErr;
    auto instance = host::AudioUnitInstance::Open(ProductBundle(), status);
    EXPECT_EQ(status, noErr);
    return instance;
  }

  ScopedTestFolder home;
  ScopedEnvironmentVariable homeVariable{"HOME", home.Path().string()};
};

TEST_F(ProductBundle_, DescribesTheComponent) {
  const host::ComponentInfo& info = ProductBundle().Info();
  EXPECT_EQ(info.bundleIdentifier, "com.Vellumtone.audiounit.Orvane");
  EXPECT_EQ(info.bundleVersion, "1.0.4");
  EXPECT_EQ(info.factoryFunction, "Orvane_Factory");
  EXPECT_EQ(info.description.componentType, standin::FourCharCodeOf("aumf"));
  EXPECT_EQ(info.description.componentSubType, standin::FourCharCodeOf("Orvn"));
  EXPECT_EQ(info.description.componentManufacturer, standin::FourCharCodeOf("Vltn"));
  EXPECT_NE(ProductBundle().Symbol("Orvane_Entry"), nullptr);
  EXPECT_TRUE(fs::is_regular_file(fs::path(ORVANE_PRODUCT_BUNDLE) / "Contents" / "Resources" / "Presets" /
                                  "Default.orv"));
}

TEST_F(ProductBundle_, OpensInitializesAndCloses) {
  for (int i = 0; i < 3; ++i) {
    auto instance = Open();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->Initialize(), noErr);
    EXPECT_EQ(instance->Uninitialize(), noErr);
  }
}

TEST_F(ProductBundle_, TwoInstancesAtOnce) {
  auto first = Open();
  auto second = Open();
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->Initialize(), noErr);
  EXPECT_EQ(second->Initialize(), noErr);
}

}  // namespace
}  // namespace orvane::testing
