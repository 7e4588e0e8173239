// The product as a host sees it: the component bundle loaded through the host
// library and driven through its C interface.

#include <AudioUnit/AUCocoaUIView.h>
#include <AudioUnit/AudioUnitProperties.h>
#include <Foundation/NSObject.h>
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include <standin/four_char_code.h>
#include <AppKit/NSView.h>
#include <standin/testing/appkit.h>
#include <standin/testing/bundles.h>
#include <standin/testing/metal.h>
#include <standin/testing/ns_objects.h>
#include <standin/testing/objects.h>
#include <standin/testing/run_loop.h>

#include "framework/au/class_info.h"
#include "framework/core/state_chunk.h"
#include "host/render_loop.h"
#include "bundle_test_support.h"
#include "product_test_support.h"

#include "host/audio_unit_instance.h"
#include "host/component_bundle.h"
#include "host/editor_session.h"
#include "plugin/theme_palette.h"
#include "scoped_test_folder.h"
#include "support/graphics/image_files.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace orvane::testing {
namespace {

constexpr OSStatus kInvalidPropertyValue = -10851;
constexpr double kRate = 48000.0;
constexpr UInt32 kBlockFrames = 256;

AudioStreamBasicDescription FloatFormat(double sampleRate, UInt32 channels) {
  AudioStreamBasicDescription format{};
  format.mSampleRate = sampleRate;
  format.mFormatID = kAudioFormatLinearPCM;
  format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  format.mBytesPerPacket = sizeof(float);
  format.mFramesPerPacket = 1;
  format.mBytesPerFrame = sizeof(float);
  format.mChannelsPerFrame = channels;
  format.mBitsPerChannel = 8 * sizeof(float);
  return format;
}

// The input the tests feed: a sine at the position of each sample.
float SineAt(double position) {
  constexpr double kAmplitude = 0.3;
  constexpr double kCyclesPerSample = 220.0 / 48000.0;
  return static_cast<float>(kAmplitude * std::sin(2.0 * M_PI * kCyclesPerSample * position));
}

OSStatus ProvideSine(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp* timeStamp, UInt32, UInt32 frames,
                     AudioBufferList* data) {
  const double first = timeStamp ? timeStamp->mSampleTime : 0.0;
  for (UInt32 b = 0; b < data->mNumberBuffers; ++b) {
    auto* out = static_cast<float*>(data->mBuffers[b].mData);
    for (UInt32 i = 0; out && i < frames; ++i) out[i] = SineAt(first + i);
  }
  return noErr;
}

// The first output channel of `blocks` blocks of the sine through an instance
// built in this process, its engines re-rated to engineRate, the block timed at blockRate.
std::vector<float> ReferenceOutput(double engineRate, double blockRate, int blocks) {
  TestOrvane plugin;
  plugin.mRenderer.PublishHostSampleRate(engineRate);
  std::vector<float> result;
  std::vector<double> input(kBlockFrames), left(kBlockFrames), right(kBlockFrames);
  const double* inputs[] = {input.data()};
  double* outputs[] = {left.data(), right.data()};
  for (int block = 0; block < blocks; ++block) {
    for (UInt32 i = 0; i < kBlockFrames; ++i) input[i] = SineAt(static_cast<double>(block) * kBlockFrames + i);
    plugin.mRenderer.ProcessBlock(inputs, outputs, static_cast<int>(kBlockFrames), BlockFormat{1, 2, blockRate});
    for (double sample : left) result.push_back(static_cast<float>(sample));
  }
  return result;
}

bool SameBytes(const plugkit::IStateChunk& a, const plugkit::IStateChunk& b) {
  return a.Size() == b.Size() && std::memcmp(a.GetData(), b.GetData(), static_cast<size_t>(a.Size())) == 0;
}

TEST_F(ProductBundle_, DescribesTheComponent) {
  const host::ComponentInfo& info = ProductBundle().Info();
  EXPECT_EQ(info.bundleIdentifier, "com.Vellumtone.audiounit.Orvane");
  EXPECT_EQ(info.bundleVersion, "1.0.4");
  EXPECT_EQ(info.factoryFunction, "Orvane_Factory");
  EXPECT_EQ(info.description.componentType, standin::FourCharCodeOf("aumf"));
  EXPECT_EQ(info.description.componentSubType, standin::FourCharCodeOf("Orvn"));
  EXPECT_EQ(info.description.componentManufacturer, standin::FourCharCodeOf("Vltn"));
  EXPECT_NE(ProductBundle().Symbol("Orvane_Entry"), nullptr);
  const fs::path resources = fs::path(ORVANE_PRODUCT_BUNDLE) / "Contents" / "Resources";
  EXPECT_TRUE(fs::is_regular_file(resources / "Presets" / "Default.orv"));
  EXPECT_EQ(MissingFontsReason(ORVANE_PRODUCT_BUNDLE), "");
  const auto logo = plugkit::testing::DecodeImageFile(resources / "Orvane-Logo.png");
  ASSERT_TRUE(logo.has_value());
  EXPECT_EQ(logo->width, 256);
  EXPECT_EQ(logo->height, 256);
}

TEST_F(ProductBundle_, RegistersItsViewFactoryClass) {
  const NS::Class factoryClass = NS::ClassFromString("Orvane_View");
  ASSERT_TRUE(factoryClass);
  NS::Object* factory = factoryClass.alloc()->init();
  auto* protocol = dynamic_cast<AUCocoaUIBase*>(factory);
  ASSERT_NE(protocol, nullptr);
  EXPECT_STREQ(CFStringGetCStringPtr(factory->description(), kCFStringEncodingUTF8), "Orvane View");
  auto instance = Open();
  ASSERT_NE(instance, nullptr);
  EXPECT_NE(protocol->uiViewForAudioUnitWithSize(instance->Unit(), NS::Size{}), nullptr);
  factory->release();
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

TEST_F(ProductBundle_, ClassInfoRoundTripAndRefusedChunk) {
  auto first = Open();
  auto second = Open();
  ASSERT_TRUE(first && second);
  const plugkit::IStateChunk state = StateOf(first->Unit());
  ASSERT_GT(state.Size(), 12);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(state.GetData()), 4), "ATSO");

  CFPropertyListRef info = nullptr;
  UInt32 size = sizeof info;
  ASSERT_EQ(first->GetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &info, &size), noErr);
  EXPECT_EQ(second->SetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &info, sizeof info), noErr);
  EXPECT_TRUE(SameBytes(StateOf(second->Unit()), state));

  plugkit::ClassInfoContents contents;
  ASSERT_TRUE(plugkit::ReadClassInfo(info, contents));
  CFRelease(info);
  plugkit::IStateChunk corrupted;
  corrupted.PutChunk(contents.data);
  corrupted.GetData()[0] ^= 0xFF;
  CFMutableDictionaryRef spoiled = plugkit::CreateClassInfo(contents.identity, contents.name, &corrupted);
  EXPECT_EQ(second->SetProperty(kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &spoiled, sizeof spoiled),
            kInvalidPropertyValue);
  CFRelease(spoiled);
  EXPECT_TRUE(SameBytes(StateOf(second->Unit()), state));
}

TEST_F(ProductBundle_, RendersASilentSettleThenSoundOnBothChannels) {
  auto instance = Open();
  ASSERT_NE(instance, nullptr);
  const AudioUnit unit = instance->Unit();
  host::RenderLoop loop(unit, kBlockFrames, {2});
  const auto input = FloatFormat(kRate, 1);
  const auto output = FloatFormat(kRate, 2);
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &input,
                                 sizeof input), noErr);
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &output,
                                 sizeof output), noErr);
  ASSERT_EQ(loop.SetInputCallback(0, ProvideSine, nullptr), noErr);
  ASSERT_EQ(instance->Initialize(), noErr);

  const int blocks = static_cast<int>(kRate) / static_cast<int>(kBlockFrames);  // one second
  bool firstBlockSilent = true;
  bool soundLater = false;
  bool channelsEqual = true;
  for (int block = 0; block < blocks; ++block) {
    ASSERT_EQ(loop.RenderBlock(kBlockFrames), noErr);
    const std::span<const float> left = loop.Output(0, 0);
    const std::span<const float> right = loop.Output(0, 1);
    ASSERT_EQ(left.size(), kBlockFrames);
    ASSERT_EQ(right.size(), kBlockFrames);
    for (UInt32 i = 0; i < kBlockFrames; ++i) {
      if (block == 0 && left[i] != 0.f) firstBlockSilent = false;
      if (block > 0 && std::fabs(left[i]) > 1e-3f) soundLater = true;
      if (left[i] != right[i]) channelsEqual = false;
    }
  }
  EXPECT_TRUE(firstBlockSilent);
  EXPECT_TRUE(soundLater);
  EXPECT_TRUE(channelsEqual);
}

TEST_F(ProductBundle_, RateSetOnlyThroughTheOutputFormatReachesTheEngines) {
  constexpr double kHighRate = 96000.0;
  constexpr int kBlocks = 200;
  auto instance = Open();
  ASSERT_NE(instance, nullptr);
  const AudioUnit unit = instance->Unit();
  host::RenderLoop loop(unit, kBlockFrames, {2});
  const auto output = FloatFormat(kHighRate, 2);
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &output,
                                 sizeof output), noErr);
  ASSERT_EQ(loop.SetInputCallback(0, ProvideSine, nullptr), noErr);
  ASSERT_EQ(instance->Initialize(), noErr);
  std::vector<float> rendered;
  for (int block = 0; block < kBlocks; ++block) {
    ASSERT_EQ(loop.RenderBlock(kBlockFrames), noErr);
    const std::span<const float> left = loop.Output(0, 0);
    rendered.insert(rendered.end(), left.begin(), left.end());
  }

  const std::vector<float> atHighRate = ReferenceOutput(kHighRate, kHighRate, kBlocks);
  const std::vector<float> atDefaultRate = ReferenceOutput(kRate, kHighRate, kBlocks);
  ASSERT_EQ(rendered.size(), atHighRate.size());
  double differenceToHigh = 0.0;
  double differenceToDefault = 0.0;
  for (std::size_t i = 0; i < rendered.size(); ++i) {
    differenceToHigh = std::max(differenceToHigh, static_cast<double>(std::fabs(rendered[i] - atHighRate[i])));
    differenceToDefault = std::max(differenceToDefault, static_cast<double>(std::fabs(rendered[i] - atDefaultRate[i])));
  }
  EXPECT_LT(differenceToHigh, 1e-6);
  EXPECT_GT(differenceToDefault, 1e-3);
}

TEST_F(ProductBundle_, IdleTimerTicksWhileTheMainLoopIsPumped) {
  standin::testing::ScopedManualClock clock(1000.0);
  auto instance = Open();
  ASSERT_NE(instance, nullptr);
  standin::testing::RunOnce();
  standin::testing::AdvanceManualClock(0.021);
  EXPECT_GE(standin::testing::RunOnce(), 1);
  standin::testing::AdvanceManualClock(0.021);
  EXPECT_GE(standin::testing::RunOnce(), 1);
}

// The share of the image's pixels in the colour.
double ShareOf(const standin::testing::Image& image, ThemeColour colour) {
  long count = 0;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.pixel(x, y);
      if (p[0] == colour.red && p[1] == colour.green && p[2] == colour.blue && p[3] == 255) ++count;
    }
  return static_cast<double>(count) / (static_cast<double>(image.width) * image.height);
}

TEST_F(ProductBundleEditor, OpensInAHostWindowPresentsItsFirstFrameAndClosesWithoutATrace) {
  const struct {
    NS::CGFloat screenScale;
    int pixelWidth, pixelHeight;
  } cases[] = {{1.0, 1392, 783}, {2.0, 2784, 1566}};
  for (const auto& c : cases) {
    const long nsObjectsAtStart = standin::testing::LiveNSObjectCount();
    const long cfObjectsAtStart = standin::testing::LiveObjectCount();
    auto instance = Open();
    ASSERT_NE(instance, nullptr);
    auto editor = OpenEditor(instance->Unit(), c.screenScale);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->View()->frame().size, (NS::Size{1392, 783}));
    EXPECT_EQ(editor->PresentedFrames(), 0);
    standin::testing::RunFor(kFramePeriod);
    EXPECT_EQ(editor->PresentedFrames(), 1);
    const standin::testing::Image frame = editor->Capture();
    EXPECT_EQ(frame.width, c.pixelWidth);
    EXPECT_EQ(frame.height, c.pixelHeight);
    // A fresh sandbox opens in the light theme; the editor's own goldens hold the rest.
    EXPECT_GT(ShareOf(frame, LightThemeColours()[0]), 0.5);

    auto view = NS::Ref<NS::View>::Retain(editor->View());
    editor.reset();
    EXPECT_EQ(view->superview(), nullptr);
    // Neither the context nor its frame timer holds the view once the editor closed.
    EXPECT_EQ(view->retainCount(), 1u);
    view.reset();
    standin::testing::RunFor(kFramePeriod);
    instance.reset();
    EXPECT_EQ(standin::testing::LiveNSObjectCount(), nsObjectsAtStart) << c.screenScale;
    EXPECT_EQ(standin::testing::LiveObjectCount(), cfObjectsAtStart) << c.screenScale;
  }
}

TEST_F(ProductBundleEditor, ReopensAtTheSizeTheHostGaveIt) {
  auto instance = Open();
  ASSERT_NE(instance, nullptr);
  auto editor = OpenEditor(instance->Unit());
  ASSERT_NE(editor, nullptr);
  standin::testing::ResizeWindow(editor->Window(), {1000, 600});
  standin::testing::RunFor(kFramePeriod);
  editor.reset();

  editor = OpenEditor(instance->Unit());
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->View()->frame().size, (NS::Size{1000, 600}));
  ASSERT_TRUE(editor->WaitForFrame(host::kFirstFrameLimitSeconds));
  EXPECT_EQ(editor->Capture().width, 1000);
  EXPECT_EQ(editor->Capture().height, 600);
}

TEST_F(ProductBundleEditor, GivesUpOnAFrameThatNeverComes) {
  auto instance = Open();
  ASSERT_NE(instance, nullptr);
  auto editor = OpenEditor(instance->Unit());
  ASSERT_NE(editor, nullptr);
  standin::testing::PauseMetalExecution();
  const CFAbsoluteTime start = CFAbsoluteTimeGetCurrent();  // the manual clock
  EXPECT_FALSE(editor->WaitForFrame(host::kFirstFrameLimitSeconds));
  EXPECT_GE(CFAbsoluteTimeGetCurrent() - start, host::kFirstFrameLimitSeconds);
  standin::testing::ResumeMetalExecution();
  EXPECT_EQ(editor->PresentedFrames(), 1);
}

}  // namespace
}  // namespace orvane::testing
