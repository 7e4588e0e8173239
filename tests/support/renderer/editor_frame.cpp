#include "tests/support/renderer/editor_frame.h"

#include <cmath>
#include <iterator>
#include <vector>

#include "graphics/renderer/color.h"
#include "graphics/renderer/image.h"
#include "graphics/renderer/paint.h"
#include "graphics/renderer/path.h"
#include "graphics/renderer/tessellation.h"
#include "graphics/renderer/text.h"
#include "graphics/renderer/transform.h"
#include "tests/support/renderer/test_fonts.h"
#include "tests/support/renderer/test_images.h"

namespace orvane::testing {

namespace {

constexpr int kPanelColumns = 6;
constexpr int kPanelRows = 4;
constexpr float kPanelWidth = 220.0f;
constexpr float kPanelHeight = 185.0f;
constexpr float kPanelRadius = kEditorPanelRadius;
constexpr int kPlots = kEditorPlotCount;
constexpr int kGridLines = kEditorGridLines;
constexpr int kCurvePoints = kEditorCurvePoints;
constexpr int kKnobs = kEditorKnobCount;
constexpr float kKnobRadius = kEditorKnobRadius;
constexpr int kLabels = kEditorLabelCount;
constexpr float kLabelSizes[] = {11.0f, 13.0f, 16.0f};
constexpr const char* kLabelTexts[] = {"Preamp gain ", "Bass 4.50 dB", "Treble 6.2 k", "Sag 0.35 ms ",
                                       "Presence 7.0", "Output -3 dB", "Bias 68 %   ", "Tone stack 2"};
static_assert(kPanelColumns * kPanelRows == kEditorPanelCount);

using Rect = EditorBox;

Rect Panel(int index) { return EditorPanel(index); }

void FillRect(VCcontext* ctx, float x, float y, float w, float h, VCpaint paint) {
  vcBeginPath(ctx);
  vcRect(ctx, x, y, w, h);
  vcFillPaint(ctx, paint);
  vcFill(ctx);
}

void DrawPanel(VCcontext* ctx, const Rect& r) {
  // The drop shadow: a box gradient in a frame around the panel.
  vcBeginPath(ctx);
  vcRect(ctx, r.x - 10, r.y - 10, r.w + 20, r.h + 30);
  vcRoundedRect(ctx, r.x, r.y, r.w, r.h, kPanelRadius);
  vcPathWinding(ctx, VC_CW);
  vcFillPaint(ctx, vcBoxGradient(ctx, r.x, r.y + 2, r.w, r.h, kPanelRadius * 2, 10, vcRGBA(0, 0, 0, 128),
                                 vcRGBA(0, 0, 0, 0)));
  vcFill(ctx);

  vcBeginPath(ctx);
  vcRoundedRect(ctx, r.x, r.y, r.w, r.h, kPanelRadius);
  vcFillPaint(ctx, vcLinearGradient(ctx, r.x, r.y, r.x, r.y + r.h, vcRGB(58, 62, 70), vcRGB(38, 41, 47)));
  vcFill(ctx);

  vcBeginPath(ctx);
  vcRoundedRect(ctx, r.x + 0.5f, r.y + 0.5f, r.w - 1, r.h - 1, kPanelRadius - 0.5f);
  vcStrokeWidth(ctx, 1);
  vcStrokeColor(ctx, vcRGBA(255, 255, 255, 40));
  vcStroke(ctx);
}

void DrawKnob(VCcontext* ctx, float cx, float cy, float value) {
  vcBeginPath(ctx);
  vcCircle(ctx, cx, cy, kKnobRadius);
  vcFillColor(ctx, vcRGB(123, 140, 156));
  vcFill(ctx);

  const float start = 0.75f * VC_PI;
  const float end = start + value * 1.5f * VC_PI;
  vcBeginPath(ctx);
  vcArc(ctx, cx, cy, kKnobRadius + 5, start, end, VC_CW);
  vcStrokeWidth(ctx, 3);
  vcLineCap(ctx, VC_ROUND);
  vcStrokeColor(ctx, vcRGB(213, 188, 112));
  vcStroke(ctx);

  vcBeginPath(ctx);
  vcMoveTo(ctx, cx, cy);
  vcLineTo(ctx, cx + std::cos(end) * kKnobRadius * 0.8f, cy + std::sin(end) * kKnobRadius * 0.8f);
  vcStrokeWidth(ctx, 2);
  vcLineCap(ctx, VC_BUTT);
  vcStrokeColor(ctx, vcRGB(20, 20, 20));
  vcStroke(ctx);
}

void DrawPlot(VCcontext* ctx, int plot) {
  const Rect r = EditorPlotArea(plot);
  vcStrokeWidth(ctx, 1);
  vcStrokeColor(ctx, vcRGBA(255, 255, 255, 30));
  for (int i = 0; i < kGridLines / 2; ++i) {
    const float fx = r.x + r.w * float(i) / (kGridLines / 2 - 1);
    const float fy = r.y + r.h * float(i) / (kGridLines / 2 - 1);
    vcBeginPath(ctx);
    vcMoveTo(ctx, std::floor(fx) + 0.5f, r.y);
    vcLineTo(ctx, std::floor(fx) + 0.5f, r.y + r.h);
    vcStroke(ctx);
    vcBeginPath(ctx);
    vcMoveTo(ctx, r.x, std::floor(fy) + 0.5f);
    vcLineTo(ctx, r.x + r.w, std::floor(fy) + 0.5f);
    vcStroke(ctx);
  }
  vcStrokeWidth(ctx, 1.5f);
  vcLineJoin(ctx, VC_ROUND);
  for (int curve = 0; curve < 2; ++curve) {
    vcBeginPath(ctx);
    for (int i = 0; i < kCurvePoints; ++i) {
      float x = 0.0f;
      float y = 0.0f;
      EditorCurvePoint(plot, curve, i, x, y);
      if (i == 0) {
        vcMoveTo(ctx, x, y);
      } else {
        vcLineTo(ctx, x, y);
      }
    }
    vcStrokeColor(ctx, curve == 0 ? vcRGB(213, 188, 112) : vcRGB(110, 170, 220));
    vcStroke(ctx);
  }
  vcLineJoin(ctx, VC_MITER);
}

void DrawLabels(VCcontext* ctx, int font) {
  vcFontFaceId(ctx, font);
  vcFillColor(ctx, vcRGB(230, 230, 230));
  for (int i = 0; i < kLabels; ++i) {
    const EditorLabel label = EditorLabelAt(i);
    vcFontSize(ctx, label.size);
    vcText(ctx, label.x, label.y, label.text, nullptr);
  }
}

}  // namespace

EditorBox EditorPanel(int index) {
  const float cellW = kEditorFrameWidth / kPanelColumns;
  const float cellH = kEditorFrameHeight / kPanelRows;
  const int column = index % kPanelColumns;
  const int row = index / kPanelColumns;
  return {column * cellW + (cellW - kPanelWidth) / 2, row * cellH + (cellH - kPanelHeight) / 2, kPanelWidth,
          kPanelHeight};
}

EditorBox EditorPlotArea(int plot) {
  const Rect panel = Panel(plot);
  return {panel.x + 10, panel.y + 10, panel.w - 20, panel.h - 20};
}

void EditorCurvePoint(int plot, int curve, int index, float& x, float& y) {
  const Rect r = EditorPlotArea(plot);
  const float t = float(index) / (kCurvePoints - 1);
  const float wave = std::sin(t * (6.0f + plot + curve * 3.0f)) * std::exp(-t * (1.0f + curve));
  x = r.x + t * r.w;
  y = r.y + r.h * (0.5f - 0.4f * wave);
}

EditorKnob EditorKnobAt(int index) {
  const int knobPanels = kPanelColumns * kPanelRows - kPlots;
  const Rect r = Panel(kPlots + index % knobPanels);
  const int slot = index / knobPanels;
  return {r.x + 40 + 70 * float(slot), r.y + 40, float(index % 10) / 9.0f};
}

EditorLabel EditorLabelAt(int index) {
  const int perPanel = kLabels / (kPanelColumns * kPanelRows);
  const Rect r = Panel(index / perPanel);
  return {r.x + 8, r.y + r.h - 10 - 18.0f * float(index % perPanel), kLabelSizes[index % std::size(kLabelSizes)],
          kLabelTexts[index % std::size(kLabelTexts)]};
}

EditorBox EditorPatternBox() {
  const Rect last = Panel(kPanelColumns * kPanelRows - 1);
  return {last.x + 10, last.y + 70, float(kEditorPatternWidth), float(kEditorPatternHeight)};
}

EditorFrameResources CreateEditorFrameResources(VCcontext* ctx) {
  EditorFrameResources resources;
  resources.font = vcCreateFont(ctx, "mono", kDejaVuSansMono.c_str());
  const RgbaImage pattern = TestPattern(kEditorPatternWidth, kEditorPatternHeight);
  resources.pattern = vcCreateImageRGBA(ctx, pattern.width, pattern.height, 0, pattern.rgba.data());
  const std::vector<unsigned char> frame(std::size_t(kEditorFrameWidth) * std::size_t(kEditorFrameHeight) * 4, 0);
  resources.frame =
      vcCreateImageRGBA(ctx, int(kEditorFrameWidth), int(kEditorFrameHeight), VC_IMAGE_FLIPY, frame.data());
  return resources;
}

void DrawEditorScene(VCcontext* ctx, const EditorFrameResources& resources) {
  vcBeginPath(ctx);
  vcRect(ctx, 0, 0, kEditorFrameWidth, kEditorFrameHeight);
  vcFillColor(ctx, vcRGB(24, 26, 30));
  vcFill(ctx);
  for (int i = 0; i < kPanelColumns * kPanelRows; ++i) DrawPanel(ctx, Panel(i));
  for (int i = 0; i < kPlots; ++i) DrawPlot(ctx, i);
  for (int i = 0; i < kKnobs; ++i) {
    const EditorKnob knob = EditorKnobAt(i);
    DrawKnob(ctx, knob.cx, knob.cy, knob.value);
  }
  DrawLabels(ctx, resources.font);
  const Rect image = EditorPatternBox();
  FillRect(ctx, image.x, image.y, image.w, image.h,
           vcImagePattern(ctx, image.x, image.y, image.w, image.h, 0, resources.pattern, 1));
}

void DrawFrameToScreen(VCcontext* ctx, int image) {
  FillRect(ctx, 0, 0, kEditorFrameWidth, kEditorFrameHeight,
           vcImagePattern(ctx, 0, 0, kEditorFrameWidth, kEditorFrameHeight, 0, image, 1));
}

void DrawEditorFrame(VCcontext* ctx, const EditorFrameResources& resources, float ratio) {
  vcBeginFrame(ctx, kEditorFrameWidth, kEditorFrameHeight, ratio);
  DrawEditorScene(ctx, resources);
  DrawFrameToScreen(ctx, resources.frame);
  vcEndFrame(ctx);
}

}  // namespace orvane::testing
