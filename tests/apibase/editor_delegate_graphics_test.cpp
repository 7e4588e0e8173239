#include "graphics/graphics_editor_delegate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "support/graphics/logging_control.h"
#include "support/graphics/recording_delegate.h"

namespace plugkit {
namespace {

using graphics::IRECT;
using testing::RecordingGraphics;
using testing::LoggingControl;
using testing::RecordingDelegate;

using Log = std::vector<std::string>;

bool Contains(const Log& log, const std::string& entry) {
  for (const std::string& line : log)
    if (line == entry) return true;
  return false;
}

IStateChunk SizeChunk(int32_t width, int32_t height, float scale) {
  IStateChunk chunk;
  chunk.Put(width);
  chunk.Put(height);
  chunk.Put(scale);
  return chunk;
}

TEST(EditorDelegateSizeTest, DefaultLimitsClampAnOutOfRangeSize) {
  RecordingDelegate delegate;
  int width = 5;
  int height = 200000;
  EXPECT_FALSE(delegate.ConstrainEditorSize(width, height));
  EXPECT_EQ(width, 10);
  EXPECT_EQ(height, 100000);
  width = 1392;
  height = 783;
  EXPECT_TRUE(delegate.ConstrainEditorSize(width, height));
  EXPECT_EQ(width, 1392);
  EXPECT_EQ(height, 783);
}

TEST(EditorDelegateOpenTest, OpeningCreatesLaysOutAndAttachesTheContext) {
  RecordingDelegate delegate;
  int parent = 0;
  void* view = delegate.OpenEditor(&parent);
  ASSERT_NE(view, nullptr);
  ASSERT_NE(delegate.Graphics(), nullptr);
  EXPECT_EQ(delegate.EditorGraphicsPointer(), delegate.Graphics());
  EXPECT_EQ(delegate.Graphics()->Parent(), &parent);
  EXPECT_EQ(delegate.Graphics()->Width(), 1392);
  EXPECT_EQ(delegate.Graphics()->FPS(), 60);
  EXPECT_EQ(delegate.mLog, (Log{"make graphics", "attach", "request resize 1392x783 platform", "resize window 1",
                                "update framebuffer", "layout", "opened"}));
  // Asking again attaches the same context to the new parent.
  delegate.mLog.clear();
  EXPECT_NE(delegate.OpenEditor(nullptr), nullptr);
  EXPECT_FALSE(Contains(delegate.mLog, "make graphics"));
  EXPECT_EQ(RecordingGraphics::LiveCount(), 1);
}

TEST(EditorDelegateOpenTest, WithoutAMakeGraphicsFunctionTheEditorStaysClosed) {
  RecordingDelegate delegate;
  delegate.SetMakeGraphicsFunc(nullptr);
  EXPECT_EQ(delegate.OpenEditor(nullptr), nullptr);
  EXPECT_EQ(delegate.GetUI(), nullptr);
  delegate.CloseEditor();
  EXPECT_EQ(delegate.mLog, Log{"closed"});
}

TEST(EditorDelegateOpenTest, ReopeningRestoresTheSizeAndScaleItHadWhenItClosed) {
  RecordingDelegate delegate;
  delegate.OpenEditor(nullptr);
  delegate.Graphics()->Resize(1000, 600, 1.5f, true);
  delegate.CloseEditor();
  EXPECT_EQ(delegate.GetUI(), nullptr);
  EXPECT_EQ(RecordingGraphics::LiveCount(), 0);
  EXPECT_EQ(delegate.GetLastWidth(), 1000);
  EXPECT_EQ(delegate.GetLastHeight(), 600);
  EXPECT_FLOAT_EQ(delegate.GetLastScale(), 1.5f);

  delegate.OpenEditor(nullptr);
  EXPECT_EQ(delegate.Graphics()->Width(), 1000);
  EXPECT_EQ(delegate.Graphics()->Height(), 600);
  EXPECT_FLOAT_EQ(delegate.Graphics()->GetDrawScale(), 1.5f);
}

TEST(EditorDelegateCloseTest, ClosingNotifiesThenDetachesThenDeletes) {
  RecordingDelegate delegate;
  delegate.OpenEditor(nullptr);
  delegate.mLog.clear();
  delegate.CloseEditor();
  EXPECT_EQ(delegate.mLog, (Log{"closed", "detach", "destroyed"}));
}

class ReenteringDelegate : public RecordingDelegate {
public:
  void OnEditorClosed() override {
    RecordingDelegate::OnEditorClosed();
    CloseEditor();
  }
};

TEST(EditorDelegateCloseTest, CloseEditorCalledFromOnEditorClosedReturnsAtOnce) {
  ReenteringDelegate delegate;
  delegate.OpenEditor(nullptr);
  delegate.mLog.clear();
  delegate.CloseEditor();
  EXPECT_EQ(delegate.mLog, (Log{"closed", "detach", "destroyed"}));
  // The guard is released afterwards: the next editor closes normally.
  delegate.OpenEditor(nullptr);
  delegate.CloseEditor();
  EXPECT_EQ(delegate.GetUI(), nullptr);
}

TEST(EditorDelegateCloseTest, DestroyingTheDelegateDetachesTheViewBeforeDeletingTheContext) {
  Log graphicsLog;
  {
    auto delegate = std::make_unique<RecordingDelegate>();
    delegate->SetMakeGraphicsFunc(
        [&] { return new RecordingGraphics(*delegate, 800, 600, 60, 1.f, &graphicsLog); });
    delegate->OpenEditor(nullptr);
    graphicsLog.clear();
  }
  EXPECT_EQ(graphicsLog, (Log{"detach", "destroyed"}));
  EXPECT_EQ(RecordingGraphics::LiveCount(), 0);
}

TEST(EditorSizeChunkTest, WritesTwelveBytesFromTheContextOrTheRememberedSize) {
  RecordingDelegate delegate;
  IStateChunk remembered;
  EXPECT_TRUE(delegate.WriteEditorSize(remembered));
  EXPECT_EQ(remembered.Size(), 12);

  delegate.OpenEditor(nullptr);
  delegate.Graphics()->Resize(900, 500, 2.f, true);
  IStateChunk open;
  EXPECT_TRUE(delegate.WriteEditorSize(open));
  int32_t width = 0;
  int32_t height = 0;
  float scale = 0.f;
  EXPECT_EQ(open.Get(&width, 0), 4);
  open.Get(&height, 4);
  EXPECT_EQ(open.Get(&scale, 8), 12);
  EXPECT_EQ(width, 900);
  EXPECT_EQ(height, 500);
  EXPECT_FLOAT_EQ(scale, 2.f);
}

TEST(EditorSizeChunkTest, ReadingWithoutAnEditorRemembersTheSize) {
  RecordingDelegate delegate;
  IStateChunk chunk;
  chunk.Put(int32_t{99});  // something before the size
  chunk.PutChunk(SizeChunk(700, 400, 1.25f));
  EXPECT_EQ(delegate.ReadEditorSize(chunk, 4), 16);
  EXPECT_EQ(delegate.GetLastWidth(), 700);
  EXPECT_EQ(delegate.GetLastHeight(), 400);
  EXPECT_FLOAT_EQ(delegate.GetLastScale(), 1.25f);
  delegate.OpenEditor(nullptr);
  EXPECT_EQ(delegate.Graphics()->Width(), 700);
}

TEST(EditorSizeChunkTest, AShortChunkReadsMissingFieldsAsZero) {
  RecordingDelegate delegate;
  IStateChunk chunk;
  chunk.Put(int32_t{640});
  chunk.Put(int32_t{480});
  EXPECT_EQ(delegate.ReadEditorSize(chunk, 0), -1);
  EXPECT_EQ(delegate.GetLastWidth(), 640);
  EXPECT_EQ(delegate.GetLastHeight(), 480);
  EXPECT_EQ(delegate.GetLastScale(), 0.f);
  EXPECT_EQ(delegate.ReadEditorSize(chunk, -4), -1);
  EXPECT_EQ(delegate.GetLastWidth(), 0);
}

TEST(EditorSizeChunkTest, ReadingWithAnOpenEditorResizesItUnlessAFieldIsZero) {
  RecordingDelegate delegate;
  delegate.OpenEditor(nullptr);
  delegate.ReadEditorSize(SizeChunk(1000, 700, 2.f), 0);
  EXPECT_EQ(delegate.Graphics()->Width(), 1000);
  EXPECT_FLOAT_EQ(delegate.Graphics()->GetDrawScale(), 2.f);
  delegate.ReadEditorSize(SizeChunk(500, 300, 0.f), 0);
  EXPECT_EQ(delegate.Graphics()->Width(), 1000);
  EXPECT_EQ(delegate.GetLastWidth(), 0);  // the remembered size is for a closed editor only
}

TEST(EditorSizeChunkTest, AScaleThatIsNotANumberIsIgnored) {
  RecordingDelegate delegate;
  delegate.ReadEditorSize(SizeChunk(700, 400, std::numeric_limits<float>::quiet_NaN()), 0);
  EXPECT_EQ(delegate.GetLastScale(), 0.f);
  delegate.OpenEditor(nullptr);
  delegate.ReadEditorSize(SizeChunk(900, 500, std::numeric_limits<float>::infinity()), 0);
  EXPECT_EQ(delegate.Graphics()->Width(), 1392);
  EXPECT_FLOAT_EQ(delegate.Graphics()->GetDrawScale(), 1.f);
}

class OpenEditorTest : public ::testing::Test {
protected:
  void SetUp() override {
    delegate.OpenEditor(nullptr);
    graphics = delegate.Graphics();
    delegate.mLog.clear();
  }

  LoggingControl* Attach(const IRECT& bounds, const char* name, int paramIdx = -1, int tag = -1) {
    auto* control = new LoggingControl(bounds, delegate.mLog, name, paramIdx);
    graphics->AttachControl(control, tag);
    return control;
  }

  RecordingDelegate delegate{2};
  RecordingGraphics* graphics = nullptr;
};

TEST_F(OpenEditorTest, PlainParamValuesReachLinkedControlsNormalised) {
  delegate.GetParam(0)->Init("P", "", IParam::kFlagStepped, "", IParam::ShapeLinear(), IParam::kUnitCustom, nullptr,
                             0.0, 0.0, 10.0, 1.0);
  LoggingControl* linked = Attach(IRECT(0, 0, 10, 10), "a", 0);
  auto* twoSlots = new LoggingControl(IRECT(0, 0, 10, 10), delegate.mLog, "b", {1, 0});
  graphics->AttachControl(twoSlots);
  LoggingControl* other = Attach(IRECT(0, 0, 10, 10), "c", 1);
  delegate.mLog.clear();

  delegate.PushParamValueToEditor(0, 2.6, false);  // snaps to 3 of 0..10
  EXPECT_DOUBLE_EQ(linked->ValueAt(0), 0.3);
  EXPECT_DOUBLE_EQ(twoSlots->ValueAt(1), 0.3);
  EXPECT_DOUBLE_EQ(twoSlots->ValueAt(0), 0.0);
  EXPECT_DOUBLE_EQ(other->ValueAt(0), 0.0);
  EXPECT_EQ(delegate.mLog.back(), "shown 0 4");

  delegate.PushParamValueToEditor(1, 0.75, true);
  EXPECT_DOUBLE_EQ(twoSlots->ValueAt(0), 0.75);
  EXPECT_DOUBLE_EQ(other->ValueAt(0), 0.75);
}

TEST_F(OpenEditorTest, MidiReachesOnlyControlsThatWantIt) {
  LoggingControl* listening = Attach(IRECT(0, 0, 10, 10), "listening");
  Attach(IRECT(0, 0, 10, 10), "deaf");
  listening->SetWantsMidi(true);
  delegate.mLog.clear();
  delegate.PushMidiToEditor(IMidiMsg(0, 0xB0, 1, 64));
  EXPECT_EQ(delegate.mLog, (Log{"listening midi 176", "midi shown 176"}));
}

TEST_F(OpenEditorTest, ControlValuesAndMessagesGoToTheTaggedControl) {
  LoggingControl* tagged = Attach(IRECT(0, 0, 10, 10), "tagged", -1, 7);
  delegate.mLog.clear();
  delegate.PushControlValue(7, 0.4);
  delegate.PushControlValue(8, 0.9);
  EXPECT_DOUBLE_EQ(tagged->ValueAt(0), 0.4);
  const int payload = 5;
  delegate.PushControlMessage(7, 3, sizeof(payload), &payload);
  delegate.PushControlMessage(8, 3, sizeof(payload), &payload);
  EXPECT_EQ(delegate.mLog, Log{"tagged message 3 4"});
}

TEST_F(OpenEditorTest, HostKeysGoToTheControlUnderThePointerThenToTheKeyHandler) {
  Attach(IRECT(0, 0, 1392, 783), "background");
  LoggingControl* button = Attach(IRECT(100, 100, 200, 150), "button");
  std::vector<std::string> handled;
  graphics->SetKeyHandlerFunc([&](const IKeyPress& key, bool isUp) {
    handled.push_back(std::string(isUp ? "up " : "down ") + key.mUtf8);
    return true;
  });
  delegate.mLog.clear();

  graphics->StoreCursorPosition(150.f, 120.f);
  EXPECT_TRUE(delegate.OnHostKeyDown(IKeyPress("a", 'A')));
  button->mHandlesKeys = false;
  EXPECT_TRUE(delegate.OnHostKeyUp(IKeyPress("a", 'A')));
  EXPECT_EQ(delegate.mLog, (Log{"button key down a at 150,120", "button key up a"}));
  EXPECT_EQ(handled, Log{"up a"});

  // Over the background only the key handler sees the key.
  graphics->StoreCursorPosition(10.f, 120.f);
  delegate.mLog.clear();
  EXPECT_TRUE(delegate.OnHostKeyDown(IKeyPress("b", 'B')));
  EXPECT_TRUE(delegate.mLog.empty());
}

TEST(EditorDelegateKeysTest, WithoutAnEditorHostKeysAreNotHandled) {
  RecordingDelegate delegate;
  EXPECT_FALSE(delegate.OnHostKeyDown(IKeyPress("a", 'A')));
  EXPECT_FALSE(delegate.OnHostKeyUp(IKeyPress("a", 'A')));
}

TEST_F(OpenEditorTest, HostResizeAdoptsTheSizeAtDrawScaleOneWithoutAPlatformResize) {
  graphics->Resize(1392, 783, 2.f, true);
  delegate.mLog.clear();
  delegate.OnEditorResizedByHost(1000, 700);
  EXPECT_EQ(graphics->Width(), 1000);
  EXPECT_EQ(graphics->Height(), 700);
  EXPECT_FLOAT_EQ(graphics->GetDrawScale(), 1.f);
  EXPECT_EQ(delegate.mLog.front(), "request resize 1000x700");
}

TEST_F(OpenEditorTest, ScreenScaleReachesTheContext) {
  delegate.ApplyScreenScale(2.f);
  EXPECT_FLOAT_EQ(graphics->GetScreenScale(), 2.f);
  EXPECT_FLOAT_EQ(graphics->GetBackingPixelScale(), 2.f);
}

TEST(EditorDelegateHostViewTest, KeepsItsSizeByDefault) {
  RecordingDelegate delegate;
  EXPECT_EQ(delegate.EvaluateHostViewSize(800, 600), graphics::IGEditorDelegate::kKeepSize);
  EXPECT_EQ(delegate.EvaluateHostViewSize(800, 600), 2);
}

}  // namespace
}  // namespace plugkit
