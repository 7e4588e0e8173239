// The view factory and the state dictionary of the test plug-in's bundle,
// loaded as a host loads it: the library registers its view-factory class
// by name, and two instances hand their state over through the property.

#include <AudioUnit/AUCocoaUIView.h>
#include <AudioUnit/AudioUnit.h>
#include <Foundation/NSObject.h>
#include <gtest/gtest.h>
#include <standin/testing/ns_objects.h>

#include <memory>
#include <string>

#include "host/audio_unit_instance.h"
#include "host/component_bundle.h"
#include "support/test_paths.h"

namespace {

constexpr const char* kViewClassName = "AUTestPlugin_View";
constexpr AudioUnitParameterID kGainParam = 0;

const orvane::host::ComponentBundle& TestPluginBundle() {
  static const std::unique_ptr<orvane::host::ComponentBundle> bundle = [] {
    std::string error;
    auto loaded = orvane::host::ComponentBundle::Load(AU_TEST_PLUGIN_BUNDLE, error);
    EXPECT_NE(loaded, nullptr) << error;
    return loaded;
  }();
  return *bundle;
}

std::unique_ptr<orvane::host::AudioUnitInstance> OpenTestPlugin() {
  OSStatus status = noErr;
  auto instance = orvane::host::AudioUnitInstance::Open(TestPluginBundle(), status);
  EXPECT_EQ(status, noErr);
  return instance;
}

TEST(ViewFactoryBundle, LoadingTheBundleRegistersItsViewFactoryClass) {
  TestPluginBundle();
  const NS::Class factoryClass = NS::ClassFromString(kViewClassName);
  ASSERT_TRUE(factoryClass);
  const long objectsAtStart = standin::testing::LiveNSObjectCount();
  NS::Object* factory = factoryClass.alloc()->init();
  auto* protocol = dynamic_cast<AUCocoaUIBase*>(factory);
  ASSERT_NE(protocol, nullptr);
  const char* description = CFStringGetCStringPtr(factory->description(), kCFStringEncodingUTF8);
  EXPECT_STREQ(description, "AU Test Plugin View");

  // The bundle's plug-in has no editor: no view location, no view.
  auto unit = OpenTestPlugin();
  AudioUnitCocoaViewInfo info{};
  UInt32 size = sizeof info;
  EXPECT_EQ(unit->GetProperty(kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(protocol->uiViewForAudioUnitWithSize(unit->Unit(), NS::Size{}), nullptr);
  factory->release();
  EXPECT_EQ(standin::testing::LiveNSObjectCount(), objectsAtStart);
}

TEST(ViewFactoryBundle, StateTravelsBetweenTwoInstances) {
  auto first = OpenTestPlugin();
  auto second = OpenTestPlugin();
  ASSERT_EQ(first->SetParameter(kGainParam, kAudioUnitScope_Global, 0, 1.25f), noErr);

  CFPropertyListRef info = nullptr;
  UInt32 size = sizeof info;
  ASSERT_EQ(first->GetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &info, &size), noErr);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(second->SetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &info, sizeof info), noErr);
  CFRelease(info);

  AudioUnitParameterValue gain = 0;
  ASSERT_EQ(second->GetParameter(kGainParam, kAudioUnitScope_Global, 0, &gain), noErr);
  EXPECT_FLOAT_EQ(gain, 1.25f);
}

}  // namespace
