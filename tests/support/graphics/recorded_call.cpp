#include "support/graphics/recorded_call.h"

#include <cstdio>
#include <string>

namespace plugkit::testing {

using namespace graphics;

std::string FormatNumber(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", value);
  std::string s(text);
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  if (s == "-0") s = "0";
  return s;
}

std::string FormatRect(const IRECT& r) {
  return "(" + FormatNumber(r.L) + "," + FormatNumber(r.T) + "," + FormatNumber(r.R) + "," + FormatNumber(r.B) + ")";
}

std::string FormatColor(const IColor& c) {
  return "(" + std::to_string(c.A) + "," + std::to_string(c.R) + "," + std::to_string(c.G) + "," + std::to_string(c.B) +
         ")";
}

namespace {

std::string FormatTransform(const ITransform& t) {
  return "(" + FormatNumber(t.xx) + "," + FormatNumber(t.yx) + "," + FormatNumber(t.xy) + "," + FormatNumber(t.yy) +
         "," + FormatNumber(t.tx) + "," + FormatNumber(t.ty) + ")";
}

int AsInt(auto enumValue) { return static_cast<int>(enumValue); }

bool IsPlainSolid(const IPaint& paint) {
  const IPaint solid(paint.GetStop(0).mColor);
  if (paint.mType != solid.mType || paint.mExtend != solid.mExtend || paint.mNStops != 1 ||
      !(paint.mTransform == solid.mTransform) || paint.GetStop(0).mOffset != 0.f)
    return false;
  for (int i = 1; i < IPaint::kMaxStops; ++i)
    if (!(paint.GetStop(i).mColor == solid.GetStop(i).mColor) || paint.GetStop(i).mOffset != 0.f) return false;
  return true;
}

std::string FormatPaint(const IPaint& paint) {
  if (IsPlainSolid(paint)) return "solid" + FormatColor(paint.GetStop(0).mColor);
  std::string s = "paint(type=" + std::to_string(AsInt(paint.mType)) +
                  " extend=" + std::to_string(AsInt(paint.mExtend)) + " stops=[";
  for (int i = 0; i < paint.mNStops && i < IPaint::kMaxStops; ++i) {
    if (i > 0) s += " ";
    s += FormatColor(paint.GetStop(i).mColor) + "@" + FormatNumber(paint.GetStop(i).mOffset);
  }
  return s + "] transform=" + FormatTransform(paint.mTransform) + ")";
}

}  // namespace

CallBuilder::CallBuilder(const char* kind, const ITransform& transform) {
  mCall.kind = kind;
  mCall.transform = transform;
  mCall.line = kind;
}

void CallBuilder::Append(const std::string& piece) { mCall.line += " " + piece; }

CallBuilder& CallBuilder::Number(double value) {
  mCall.args.push_back(value);
  Append(FormatNumber(value));
  return *this;
}

CallBuilder& CallBuilder::Flag(const char* name, bool value) {
  mCall.args.push_back(value ? 1.0 : 0.0);
  Append(std::string(name) + "=" + (value ? "1" : "0"));
  return *this;
}

CallBuilder& CallBuilder::Word(const std::string& word) {
  Append(word);
  return *this;
}

CallBuilder& CallBuilder::Rect(const IRECT& r) {
  if (!mCall.rect) mCall.rect = r;
  Append(FormatRect(r));
  return *this;
}

CallBuilder& CallBuilder::Paint(const IPaint& paint) {
  mCall.paint = paint;
  Append(FormatPaint(paint));
  return *this;
}

CallBuilder& CallBuilder::Stroke(const IStrokeStyle& style) {
  mCall.strokeStyle = style;
  std::string s = "miter=" + FormatNumber(style.mMiterLimit) + " cap=" + std::to_string(AsInt(style.mCap)) +
                  " join=" + std::to_string(AsInt(style.mJoin));
  if (style.mDashCount > 0) {
    s += " dash=[";
    for (int i = 0; i < style.mDashCount && i < IStrokeStyle::kMaxDashes; ++i)
      s += (i > 0 ? " " : "") + FormatNumber(style.mDashArray[i]);
    s += "]@" + FormatNumber(style.mDashOffset);
  }
  if (style.mPreserve) s += " preserve";
  Append(s);
  return *this;
}

CallBuilder& CallBuilder::Fill(const IFillStyle& style) {
  mCall.fillStyle = style;
  Append("rule=" + std::to_string(AsInt(style.mFillRule)) + (style.mPreserve ? " preserve" : ""));
  return *this;
}

CallBuilder& CallBuilder::Blend(const IBlend* blend) {
  if (blend) mCall.blend = *blend;
  Append(blend ? "blend=(" + std::to_string(blend->mMethod) + "," + FormatNumber(blend->mWeight) + ")"
               : std::string("blend=none"));
  return *this;
}

CallBuilder& CallBuilder::Text(const char* str) {
  mCall.text = str ? str : "";
  Append("\"" + *mCall.text + "\"");
  return *this;
}

CallBuilder& CallBuilder::TextStyle(const IText& style, bool withColor) {
  mCall.textStyle = style;
  std::string s = std::string(style.mFont) + " " + FormatNumber(style.mSize);
  if (withColor) s += " fg=" + FormatColor(style.mFGColor);
  s += " angle=" + FormatNumber(style.mAngle) + " align=" + std::to_string(AsInt(style.mAlign)) + "," +
       std::to_string(AsInt(style.mVAlign));
  Append(s);
  return *this;
}

CallBuilder& CallBuilder::Bitmap(const IBitmap& bitmap) {
  mCall.bitmap = bitmap;
  Append(std::string(bitmap.GetResourceName()) + ":" + std::to_string(bitmap.W()) + "x" + std::to_string(bitmap.H()));
  return *this;
}

CallBuilder& CallBuilder::Points(const std::vector<PathPoint>& points) {
  mCall.points = points;
  std::string s = "->";
  for (const PathPoint& p : points)
    s += std::string(" ") + (p.moveTo ? "M" : "") + FormatNumber(p.x) + "," + FormatNumber(p.y);
  Append(s);
  return *this;
}

}  // namespace plugkit::testing
