#pragma once

#include <cstdint>

#include "common/heap_buf.h"
#include "common/utf8_text.h"
#include "framework/core/key_press.h"
#include "framework/core/midi_msg.h"

// The plain value records passed between the graphics context, the controls,
// the renderer and the platform view. IKeyPress and IMidiMsg live in the
// framework, which hands them to the editor.
namespace plugkit::graphics {

// A rectangle in unscaled editor units; all four zero is the empty rectangle.
struct IRECT {
  float L = 0.f;
  float T = 0.f;
  float R = 0.f;
  float B = 0.f;

  constexpr IRECT() = default;
  constexpr IRECT(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}

  constexpr float W() const { return R - L; }
  constexpr float H() const { return B - T; }
  constexpr bool Empty() const { return L == 0.f && T == 0.f && R == 0.f && B == 0.f; }
  // Left and top edges are inside, right and bottom edges outside.
  constexpr bool Contains(float x, float y) const { return !Empty() && x >= L && x < R && y >= T && y < B; }
  constexpr bool Contains(const IRECT& r) const {
    return !Empty() && !r.Empty() && r.L >= L && r.R <= R && r.T >= T && r.B <= B;
  }
  // True when neither is empty and the spans overlap on both axes (touching is not overlapping).
  constexpr bool Intersects(const IRECT& r) const {
    return !Empty() && !r.Empty() && L < r.R && r.L < R && T < r.B && r.T < B;
  }
  bool operator==(const IRECT&) const = default;

  // The common part; empty when they do not intersect.
  IRECT Intersect(const IRECT& r) const;
  // The bounding box of both; an empty operand yields the other.
  IRECT Union(const IRECT& r) const;
  IRECT GetGrown(float d) const { return IRECT(L - d, T - d, R + d, B + d); }
  // Left and top rounded down, right and bottom up, to whole pixels at scale.
  IRECT GetPixelAligned(float scale) const;
  // Moved into bound keeping its size where it can, ending at least one unit
  // inside the far edges.
  IRECT GetConstrained(const IRECT& bound) const;
};

// A colour with alpha, each channel 0..255.
struct IColor {
  int A = 255;
  int R = 0;
  int G = 0;
  int B = 0;

  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}
  bool operator==(const IColor&) const = default;
};

// The shared default colours, in declaration order.
inline constexpr IColor kColorTransparent{0, 0, 0, 0};
inline constexpr IColor kColorTranslucent{10, 0, 0, 0};
inline constexpr IColor kColorBlack{255, 0, 0, 0};
inline constexpr IColor kColorHalfBlack{128, 0, 0, 0};
inline constexpr IColor kColorGrey{255, 127, 127, 127};
inline constexpr IColor kColorLightGrey{255, 240, 240, 240};
inline constexpr IColor kColorMidGrey{255, 200, 200, 200};
inline constexpr IColor kColorDarkGrey{255, 70, 70, 70};
inline constexpr IColor kColorWhite{255, 255, 255, 255};
inline constexpr IColor kColorRed{255, 255, 0, 0};
inline constexpr IColor kColorGreen{255, 0, 255, 0};
inline constexpr IColor kColorBlue{255, 0, 0, 255};
inline constexpr IColor kColorYellow{255, 255, 255, 0};
inline constexpr IColor kColorOrange{255, 255, 127, 0};
inline constexpr IColor kColorIndigo{255, 75, 0, 130};
inline constexpr IColor kColorViolet{255, 148, 0, 211};
inline constexpr IColor kColorShadow{60, 0, 0, 0};

// How drawing is composited: method 0-7 the composite operations, 8 blending by
// source and destination alpha, 9 xor; the weight multiplies alpha. A null
// IBlend* means method 0 at weight 1.
struct IBlend {
  int mMethod = 0;
  float mWeight = 1.f;

  constexpr IBlend() = default;
  constexpr IBlend(int method, float weight) : mMethod(method), mWeight(weight) {}
  bool operator==(const IBlend&) const = default;
};

inline constexpr IBlend kBlend75{0, 0.75f};
inline constexpr IBlend kBlend50{0, 0.5f};
inline constexpr IBlend kBlend25{0, 0.25f};

enum class EAlign : int32_t { Near = 0, Center = 1, Far = 2 };
enum class EVAlign : int32_t { Top = 0, Middle = 1, Bottom = 2 };

// A text style. The font name is cut to fit, never inside a UTF-8 character.
struct IText {
  static constexpr int kMaxFontLength = 64;  // terminator included
  static constexpr float kDefaultSize = 14.f;
  static constexpr const char* kDefaultFont = "Roboto-Regular";

  char mFont[kMaxFontLength] = {};
  float mSize = kDefaultSize;
  IColor mFGColor = kColorBlack;
  IColor mTextEntryBGColor = kColorWhite;
  IColor mTextEntryFGColor = kColorBlack;
  float mAngle = 0.f;  // degrees, clockwise
  EAlign mAlign = EAlign::Center;
  EVAlign mVAlign = EVAlign::Middle;

  constexpr IText() { SetFont(kDefaultFont); }
  constexpr explicit IText(float size, const IColor& color = kColorBlack, const char* font = nullptr,
                           EAlign align = EAlign::Center, EVAlign valign = EVAlign::Middle, float angle = 0.f,
                           const IColor& entryBG = kColorWhite, const IColor& entryFG = kColorBlack)
      : mSize(size),
        mFGColor(color),
        mTextEntryBGColor(entryBG),
        mTextEntryFGColor(entryFG),
        mAngle(angle),
        mAlign(align),
        mVAlign(valign) {
    SetFont(font ? font : kDefaultFont);
  }

  constexpr void SetFont(const char* font) {
    const int keep = Utf8CutLength(font, kMaxFontLength - 1);
    for (int i = 0; i < keep; ++i) mFont[i] = font[i];
    for (int i = keep; i < kMaxFontLength; ++i) mFont[i] = '\0';
  }
};

inline constexpr IText kDefaultText{};

// The mouse buttons and modifier keys of one pointer sample; touch id 0 is the mouse.
struct IMouseMod {
  bool L = false;
  bool R = false;
  bool S = false;  // shift
  bool C = false;  // control
  bool A = false;  // alt
  uint64_t touchID = 0;
  float touchRadius = 0.f;

  constexpr IMouseMod() = default;
  constexpr IMouseMod(bool l, bool r, bool s = false, bool c = false, bool a = false, uint64_t touch = 0)
      : L(l), R(r), S(s), C(c), A(a), touchID(touch) {}
};

// One pointer sample: position and movement since the previous one.
struct IMouseInfo {
  float x = 0.f;
  float y = 0.f;
  float dX = 0.f;
  float dY = 0.f;
  IMouseMod ms;
};

// A registered event: a touch-style event the platform recognises, with the
// point it happened at and its kind.
struct IEventInfo {
  float x = 0.f;
  float y = 0.f;
  int32_t kind = 0;
};

// A growable list of rectangles in insertion order.
class IRECTList {
public:
  int Size() const { return mRects.GetSize(); }
  // False (and nothing added) when the list cannot grow.
  bool Add(const IRECT& r) { return mRects.Add(r); }
  const IRECT& Get(int index) const { return mRects.Get()[index]; }
  void Set(int index, const IRECT& r) { mRects.Get()[index] = r; }
  // Removes one rectangle, keeping the order of the others.
  void Delete(int index);
  void Clear() { mRects.Resize(0, false); }
  // The bounding box of the rectangles that are not all zero.
  IRECT Bounds() const;

  // Leaves rectangles that cover exactly the same area without overlapping,
  // as few as merging allows: contained ones go, overlaps are cut away, and
  // rectangles that line up with touching or overlapping edges merge.
  void Optimize();
  // r less its corner x (x shares one horizontal and one vertical edge with
  // r): one piece is appended, the other answered. When the list cannot grow
  // r comes back whole, so the overlap stays rather than an area going.
  IRECT Split(const IRECT& r, const IRECT& x);

private:
  TypedBuf<IRECT> mRects;
};

enum class EDirection : int32_t { Vertical = 0, Horizontal = 1 };

// Cursor kinds (IGraphics::SetCursor).
inline constexpr int kArrowCursor = 0;
inline constexpr int kHandCursor = 11;

// What dragging the window's corner does: zoom the editor, or change its size.
enum class EUIResizerMode : int32_t { Scale = 0, Size = 1 };

}  // namespace plugkit::graphics
