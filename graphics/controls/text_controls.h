#pragma once

#include "common/str_buf.h"
#include "graphics/control.h"

namespace plugkit::graphics {

// The background of text controls unless they are given one.
inline constexpr IColor kDefaultBGColor = kColorWhite;

// The text-showing controls. Main thread only.

// A label: a string in the control's text style over a background. Labels
// ignore the mouse. With set-bounds-from-string the control takes the
// string's measured size about its centre, when initialised and whenever the
// string changes.
class ITextControl : public IControl {
public:
  ITextControl(const IRECT& bounds, const char* str = "", const IText& text = kDefaultText,
               const IColor& bgColor = kDefaultBGColor, bool setBoundsBasedOnStr = false);

  void OnInit() override;
  // The background, then the string unless it is being edited in a text entry.
  void Draw(IGraphics& g) override;

  // Nothing for the current string; else stores it and redraws.
  virtual void SetStr(const char* str);
  // printf-style, cut to maxLength characters; an encoding error leaves "".
  virtual void SetStrFmt(int maxLength, const char* format, ...) __attribute__((format(printf, 3, 4)));
  virtual void ClearStr() { SetStr(""); }

  const char* GetStr() const { return mStr.Get(); }

protected:
  // The rectangle and the target become the string's measured size about the
  // old centre; then OnResize.
  void SetBoundsBasedOnStr();

  StrBuf mStr;
  IColor mBGColor;
  bool mSetBoundsBasedOnStr;
};

// A link: an underlined string that opens its address when clicked, shows the
// pointing hand under the pointer and changes colour under it and once clicked.
class IURLControl : public ITextControl {
public:
  IURLControl(const IRECT& bounds, const char* str, const char* url, const IText& text = kDefaultText,
              const IColor& bgColor = kDefaultBGColor, const IColor& mouseOverColor = kColorWhite,
              const IColor& clickedColor = kColorViolet);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnMouseHover(float x, float y, const IMouseMod& mod) override;
  void OnMouseLeave() override;
  // The text's colour becomes the link's normal colour.
  void SetText(const IText& text) override;
  void Draw(IGraphics& g) override;

protected:
  StrBuf mURLStr;
  IColor mOriginalColor;
  IColor mMOColor;
  IColor mClickedColor;
  bool mClicked = false;
};

// Shows its on string above 0.5 and its off string otherwise; a click toggles.
class ITextToggleControl : public ITextControl {
public:
  ITextToggleControl(const IRECT& bounds, int paramIdx, const char* offText, const char* onText,
                     const IText& text = kDefaultText, const IColor& bgColor = kDefaultBGColor);
  ITextToggleControl(const IRECT& bounds, ActionFunc actionFunc, const char* offText, const char* onText,
                     const IText& text = kDefaultText, const IColor& bgColor = kDefaultBGColor);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  // Shows the string for the value, then marks as the base does.
  void MarkDirty(bool triggerAction = true, int valIdx = kAllValues) override;

protected:
  StrBuf mOffText;
  StrBuf mOnText;
};

// A parameter's display text, optionally with its unit; a click of either
// button prompts for the value over the control. An enumerated parameter
// shows a small triangle pointing down at the end of the text.
class ICaptionControl : public ITextControl {
public:
  ICaptionControl(const IRECT& bounds, int paramIdx, const IText& text = kDefaultText,
                  const IColor& bgColor = kDefaultBGColor, bool showParamLabel = true);

  void OnMouseDown(float x, float y, const IMouseMod& mod) override;
  void OnResize() override;
  void Draw(IGraphics& g) override;

protected:
  bool mShowParamLabel;
  IColor mTriangleColor = kColorBlack;
  IColor mTriangleMouseOverColor = kColorWhite;
  IRECT mTriangleRect;
};

// A marked box standing in for a control while an editor is laid out: both
// diagonals, its position, width and height, and a name that a double click
// lets the user type.
class PlaceHolder : public ITextControl {
public:
  static constexpr float kTextSize = 20.f;
  static constexpr int kMaxSizeStrLength = 32;

  explicit PlaceHolder(const IRECT& bounds, const char* str = "");

  void OnResize() override;
  void OnMouseDoubleClick(float x, float y, const IMouseMod& mod) override;
  void OnTextEntryCompletion(const char* str, int valIdx) override;
  void Draw(IGraphics& g) override;

protected:
  StrBuf mPositionStr;
  StrBuf mWidthStr;
  StrBuf mHeightStr;
  IText mPositionText;
  IText mWidthText;
  IText mHeightText;
};

}  // namespace plugkit::graphics
