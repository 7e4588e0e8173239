// Labels, links, text toggles, parameter captions and placeholders.
#include "graphics/controls/text_controls.h"

#include <cstdarg>
#include <cstring>

#include "framework/core/param.h"
#include "graphics/graphics_context.h"
#include "graphics/vector_style.h"

namespace plugkit::graphics {

namespace {

constexpr double kToggleThreshold = 0.5;
constexpr float kUnderlineThickness = 1.f;
// The caption's triangle, in text sizes.
constexpr float kTriangleWidth = 0.5f;
constexpr float kTriangleHeight = 0.33f;
// The placeholder's marks.
constexpr float kDiagonalThickness = 2.f;
constexpr float kSizeLabelInset = 10.f;
constexpr float kHeightLabelAngle = 270.f;

const char* OrEmpty(const char* str) { return str ? str : ""; }

IRECT CentredRect(float cx, float cy, float w, float h) {
  return IRECT(cx - w / 2.f, cy - h / 2.f, cx + w / 2.f, cy + h / 2.f);
}

// The placeholder's size labels are written in the default style's value text.
IText SizeLabelText(EAlign align, EVAlign valign, float angle = 0.f) {
  const IText& style = kDefaultStyle.valueText;
  return IText(style.mSize, style.mFGColor, style.mFont, align, valign, angle);
}

}  // namespace

// Label -------------------------------------------------------------------------

ITextControl::ITextControl(const IRECT& bounds, const char* str, const IText& text, const IColor& bgColor,
                           bool setBoundsBasedOnStr)
    : IControl(bounds), mStr(OrEmpty(str)), mBGColor(bgColor), mSetBoundsBasedOnStr(setBoundsBasedOnStr) {
  IControl::SetText(text);
  SetIgnoreMouse(true);
}

void ITextControl::OnInit() {
  if (mSetBoundsBasedOnStr) SetBoundsBasedOnStr();
}

void ITextControl::Draw(IGraphics& g) {
  g.FillRect(mBGColor, GetRECT(), &GetBlend());
  if (g.GetControlInTextEntry() != this) g.DrawTextIfNotEmpty(GetText(), mStr.Get(), GetRECT(), &GetBlend());
}

void ITextControl::SetStr(const char* str) {
  str = OrEmpty(str);
  if (std::strcmp(str, mStr.Get()) == 0) return;
  mStr.Set(str);
  if (mSetBoundsBasedOnStr) SetBoundsBasedOnStr();
  MarkDirty(false);
}

void ITextControl::SetStrFmt(int maxLength, const char* format, ...) {
  va_list args;
  va_start(args, format);
  if (!mStr.SetFormattedV(maxLength, format, args)) mStr.Set("");
  va_end(args);
  MarkDirty(false);
}

void ITextControl::SetBoundsBasedOnStr() {
  IGraphics* graphics = GetUI();
  if (!graphics) return;
  IRECT measured;
  graphics->MeasureTextIfNotEmpty(GetText(), mStr.Get(), measured);
  const IRECT& r = GetRECT();
  const IRECT centred = CentredRect((r.L + r.R) / 2.f, (r.T + r.B) / 2.f, measured.W(), measured.H());
  SetRECT(centred);
  SetTargetRECT(centred);
  SetMouseIsOver(false);
  OnResize();
}

// Link --------------------------------------------------------------------------

IURLControl::IURLControl(const IRECT& bounds, const char* str, const char* url, const IText& text,
                         const IColor& bgColor, const IColor& mouseOverColor, const IColor& clickedColor)
    : ITextControl(bounds, str, text, bgColor),
      mURLStr(OrEmpty(url)),
      mOriginalColor(text.mFGColor),
      mMOColor(mouseOverColor),
      mClickedColor(clickedColor) {
  SetIgnoreMouse(false);
}

void IURLControl::OnMouseDown(float, float, const IMouseMod&) {
  if (IGraphics* graphics = GetUI()) {
    graphics->OpenLink(mURLStr.Get());
    graphics->ClearMouseOverState();
  }
  mClicked = true;
}

void IURLControl::OnMouseHover(float x, float y, const IMouseMod& mod) {
  if (IGraphics* graphics = GetUI()) graphics->SetCursor(kHandCursor);
  ITextControl::OnMouseHover(x, y, mod);
}

void IURLControl::OnMouseLeave() {
  if (IGraphics* graphics = GetUI()) graphics->SetCursor(kArrowCursor);
  ITextControl::OnMouseLeave();
}

void IURLControl::SetText(const IText& text) {
  ITextControl::SetText(text);
  mOriginalColor = text.mFGColor;
}

void IURLControl::Draw(IGraphics& g) {
  const IRECT& r = GetRECT();
  g.FillRect(mBGColor, r, &GetBlend());
  IText text = GetText();
  text.mFGColor = GetMouseIsOver() ? mMOColor : mClicked ? mClickedColor : mOriginalColor;
  if (mStr.GetLength() == 0) return;

  // Measured about the origin: the alignments place the text around it.
  IRECT measured;
  const float width = g.MeasureTextIfNotEmpty(text, mStr.Get(), measured);
  const float cx = (r.L + r.R) / 2.f;
  float x1 = r.L;
  float x2 = r.L + width;
  if (text.mAlign == EAlign::Center) {
    x1 = cx + measured.L;
    x2 = cx + measured.R;
  } else if (text.mAlign == EAlign::Far) {
    x1 = r.R - width;
    x2 = r.R;
  }
  float y = r.T + measured.B;
  if (text.mVAlign == EVAlign::Middle) y = (r.T + r.B) / 2.f + measured.B;
  if (text.mVAlign == EVAlign::Bottom) y = r.B;
  g.DrawLine(text.mFGColor, x1, y, x2, y, &GetBlend(), kUnderlineThickness);
  g.DrawTextIfNotEmpty(text, mStr.Get(), r, &GetBlend());
}

// Text toggle -------------------------------------------------------------------

ITextToggleControl::ITextToggleControl(const IRECT& bounds, int paramIdx, const char* offText, const char* onText,
                                       const IText& text, const IColor& bgColor)
    : ITextControl(bounds, offText, text, bgColor), mOffText(OrEmpty(offText)), mOnText(OrEmpty(onText)) {
  LinkValueToParam(paramIdx, 0);
  SetIgnoreMouse(false);
  SetMouseDblAsSingleClick(true);
}

ITextToggleControl::ITextToggleControl(const IRECT& bounds, ActionFunc actionFunc, const char* offText,
                                       const char* onText, const IText& text, const IColor& bgColor)
    : ITextToggleControl(bounds, kNoParameter, offText, onText, text, bgColor) {
  SetActionFunction(std::move(actionFunc));
}

// Flips what is shown: 0.5 itself shows the off string, so it turns on.
void ITextToggleControl::OnMouseDown(float, float, const IMouseMod&) {
  SetValueAt(ValueAt(0) > kToggleThreshold ? 0.0 : 1.0, 0);
  MarkDirty(true);
}

void ITextToggleControl::MarkDirty(bool triggerAction, int valIdx) {
  mStr.Set(ValueAt(0) > kToggleThreshold ? mOnText.Get() : mOffText.Get());
  ITextControl::MarkDirty(triggerAction, valIdx);
}

// Caption -----------------------------------------------------------------------

ICaptionControl::ICaptionControl(const IRECT& bounds, int paramIdx, const IText& text, const IColor& bgColor,
                                 bool showParamLabel)
    : ITextControl(bounds, "", text, bgColor), mShowParamLabel(showParamLabel) {
  LinkValueToParam(paramIdx, 0);
  SetPromptDisabled(false);
  SetMouseDblAsSingleClick(true);
  SetIgnoreMouse(false);
}

void ICaptionControl::OnMouseDown(float, float, const IMouseMod& mod) {
  if (mod.L || mod.R) PromptUserInput(GetRECT(), 0);
}

void ICaptionControl::OnResize() {
  const IParam* param = ParamOfValue(0);
  if (!param || param->Type() != IParam::kTypeEnum) return;
  const float size = GetText().mSize;
  const IRECT& r = GetRECT();
  const float cx = GetText().mAlign == EAlign::Far ? r.L + size / 2.f : r.R - size / 2.f;
  mTriangleRect = CentredRect(cx, (r.T + r.B) / 2.f, kTriangleWidth * size, kTriangleHeight * size);
}

void ICaptionControl::Draw(IGraphics& g) {
  if (const IParam* param = ParamOfValue(0)) {
    if (mShowParamLabel)
      ParamDisplayTextWithLabel(0, mStr);
    else
      param->GetDisplay(mStr);
  }
  ITextControl::Draw(g);
  const IRECT& t = mTriangleRect;
  if (t.R <= t.L) return;
  const float tipX = (t.L + t.R) / 2.f;
  if (GetMouseIsOver())
    g.FillTriangle(mTriangleMouseOverColor, t.L, t.T, t.R, t.T, tipX, t.B);
  else
    g.FillTriangle(mTriangleColor, t.L, t.T, t.R, t.T, tipX, t.B, &kBlend50);
}

// Placeholder -------------------------------------------------------------------

PlaceHolder::PlaceHolder(const IRECT& bounds, const char* str)
    : ITextControl(bounds, str, IText(kTextSize, kColorBlack, IText::kDefaultFont, EAlign::Near, EVAlign::Middle)),
      mPositionText(SizeLabelText(EAlign::Near, EVAlign::Top)),
      mWidthText(SizeLabelText(EAlign::Center, EVAlign::Top)),
      mHeightText(SizeLabelText(EAlign::Near, EVAlign::Middle, kHeightLabelAngle)) {
  // The double click must reach it to rename it.
  SetIgnoreMouse(false);
}

void PlaceHolder::OnResize() {
  const IRECT& r = GetRECT();
  mPositionStr.SetFormatted(kMaxSizeStrLength, "%0.1f, %0.1f", static_cast<double>(r.L), static_cast<double>(r.T));
  mWidthStr.SetFormatted(kMaxSizeStrLength, "%0.1f", static_cast<double>(r.W()));
  mHeightStr.SetFormatted(kMaxSizeStrLength, "%0.1f", static_cast<double>(r.H()));
}

void PlaceHolder::OnMouseDoubleClick(float, float, const IMouseMod&) {
  if (IGraphics* graphics = GetUI()) graphics->CreateTextEntry(*this, GetText(), GetRECT(), mStr.Get());
}

void PlaceHolder::OnTextEntryCompletion(const char* str, int) { SetStr(str); }

namespace {

// A size label at (x, y) on a half-transparent patch of its own size.
void DrawSizeLabel(IGraphics& g, const IText& text, const StrBuf& str, float x, float y) {
  IRECT measured(x, y, x, y);
  g.MeasureTextIfNotEmpty(text, str.Get(), measured);
  g.FillRect(kDefaultStyle.GetColor(kFG), measured, &kBlend50);
  g.DrawBitmapedTextHelper(text, str.Get(), x, y);
}

}  // namespace

void PlaceHolder::Draw(IGraphics& g) {
  const IRECT& r = GetRECT();
  g.FillRect(mBGColor, r, &GetBlend());
  g.DrawLine(kColorRed, r.L, r.T, r.R, r.B, &kBlend50, kDiagonalThickness);
  g.DrawLine(kColorRed, r.L, r.B, r.R, r.T, &kBlend50, kDiagonalThickness);
  const float cx = (r.L + r.R) / 2.f;
  const float cy = (r.T + r.B) / 2.f;
  DrawSizeLabel(g, mHeightText, mHeightStr, r.L + kSizeLabelInset, cy);
  DrawSizeLabel(g, mWidthText, mWidthStr, cx, r.T + kSizeLabelInset);
  DrawSizeLabel(g, mPositionText, mPositionStr, r.L + kSizeLabelInset, r.T + kSizeLabelInset);
  if (mStr.GetLength() == 0) return;
  IRECT measured = r;
  g.MeasureTextIfNotEmpty(GetText(), mStr.Get(), measured);
  g.FillRect(mBGColor, measured, &kBlend75);
  g.DrawText(GetText(), mStr.Get(), measured, &GetBlend());
}

}  // namespace plugkit::graphics
