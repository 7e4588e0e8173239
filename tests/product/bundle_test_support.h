#pragma once

// The product's built bundle loaded through the host library, as a host loads
// it, with instances opened in a fresh HOME and editors in host windows.

#include <AudioUnit/AudioUnitProperties.h>
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <standin/testing/appkit.h>
#include <standin/testing/bundles.h>
#include <standin/testing/run_loop.h>

#include <memory>
#include <string>

#include "bundle_fonts.h"
#include "framework/au/class_info.h"
#include "framework/core/state_chunk.h"
#include "host/audio_unit_instance.h"
#include "host/component_bundle.h"
#include "host/editor_session.h"
#include "plugin/state/plugin_state.h"
#include "plugin/state/state_chunk_format.h"
#include "scoped_test_folder.h"
#include "support/test_paths.h"

namespace orvane::testing {

inline const host::ComponentBundle& ProductBundle() {
  static const host::ComponentBundle* bundle = [] {
    standin::testing::RegisterBundle(ORVANE_PRODUCT_BUNDLE);
    std::string error;
    auto loaded = host::ComponentBundle::Load(ORVANE_PRODUCT_BUNDLE, error);
    EXPECT_NE(loaded, nullptr) << error;
    return loaded.release();
  }();
  return *bundle;
}

// The state chunk of the unit's class info.
inline plugkit::IStateChunk StateOf(AudioUnit unit) {
  CFPropertyListRef info = nullptr;
  UInt32 size = sizeof info;
  plugkit::ClassInfoContents contents;
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &info, &size), noErr);
  EXPECT_TRUE(plugkit::ReadClassInfo(info, contents));
  if (info) CFRelease(info);
  return std::move(contents.data);
}

// The whole document the unit's class-info state holds.
inline PluginStateDocument StateDocument(AudioUnit unit) {
  const plugkit::IStateChunk chunk = StateOf(unit);
  std::string text;
  int end = 0;
  PluginStateDocument document;
  std::string error;
  EXPECT_TRUE(ReadStateChunkText(chunk, 0, text, end));
  EXPECT_TRUE(ParsePluginStateJson(nlohmann::json::parse(text), document, error)) << error;
  return document;
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
  const host::ComponentBundle& bundle = ProductBundle();
};

// The editor as a host opens it, on the manual clock: its frame timer runs at
// 60 frames per second.
class ProductBundleEditor : public ProductBundle_ {
protected:
  static constexpr CFTimeInterval kFramePeriod = 1.0 / 60.0;

  void SetUp() override { standin::testing::ResetAppKit(); }
  void TearDown() override { standin::testing::ResetAppKit(); }

  std::unique_ptr<host::EditorSession> OpenEditor(AudioUnit unit, NS::CGFloat scale = 1.0) {
    std::string error;
    auto session = host::EditorSession::Open(unit, scale, error);
    EXPECT_NE(session, nullptr) << error;
    return session;
  }

  standin::testing::ScopedManualClock clock;
};

}  // namespace orvane::testing
