// Reading SVG documents: the adapter over SVG++ and the XML parser it ships
// with. Nothing else includes their headers.
#include "graphics/svg_reader.h"

#include <algorithm>
#include <cmath>
#include <concepts>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "graphics/drawing_types.h"
#include "graphics/svg_gradients.h"

// The traversal below takes more named parameters than Boost allows by default.
#define BOOST_PARAMETER_MAX_ARITY 10
#include <rapidxml_ns/rapidxml_ns.hpp>
#include <svgpp/policy/xml/rapidxml_ns.hpp>
#include <svgpp/svgpp.hpp>

namespace plugkit::graphics {

namespace {

namespace tag = svgpp::tag;
using svg::GradientElement;
using svg::GradientStop;
using svg::Length;
using XmlNode = rapidxml_ns::xml_node<char>;
using XmlAttribute = rapidxml_ns::xml_attribute<char>;

// Units -------------------------------------------------------------------------------

constexpr double kPointsPerInch = 72.0;
constexpr double kPicasPerInch = 6.0;
constexpr double kMillimetresPerInch = 25.4;
constexpr double kCentimetresPerInch = 2.54;
// Font-relative lengths with no font: the usual default font size.
constexpr double kEmPixels = 16.0;
constexpr double kExPixels = kEmPixels / 2.0;
constexpr double kPercent = 100.0;
// A start point and one cubic, as x, y pairs.
constexpr size_t kPointsOfOneSegment = 8;
// Rounding that must not add an arc segment for a turn of exactly a quarter.
constexpr double kArcSlack = 1e-9;

bool Equals(const char* a, const char* b) { return a && std::strcmp(a, b) == 0; }

// Pixels in one of the units at dpi; px (and any unit not known) is 1.
double PixelsPerUnit(const char* units, double dpi) {
  if (Equals(units, "pt")) return dpi / kPointsPerInch;
  if (Equals(units, "pc")) return dpi / kPicasPerInch;
  if (Equals(units, "mm")) return dpi / kMillimetresPerInch;
  if (Equals(units, "cm")) return dpi / kCentimetresPerInch;
  if (Equals(units, "in")) return dpi;
  return 1.0;
}

// Nesting ------------------------------------------------------------------------------

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Whether no element in the text nests deeper than limit, counted as the XML
// parser descends: a start tag opens a level, an end tag closes one, an
// empty-element tag does both. Comments, CDATA sections, declarations,
// processing instructions and quoted attribute values are skipped the way
// the parser skips them, so no tag it reads is missed here.
bool NestingWithinLimit(std::string_view text, int limit) {
  // A document type declaration only when a space follows: anything else
  // after "<!" is skipped to the next '>', brackets or not.
  constexpr std::string_view kDoctype = "!DOCTYPE";
  const size_t n = text.size();
  size_t i = 0;
  int depth = 0;
  auto startsWith = [&](std::string_view s) { return text.substr(i, s.size()) == s; };
  auto skipPast = [&](std::string_view terminator) {
    const size_t end = text.find(terminator, i);
    i = end == std::string_view::npos ? n : end + terminator.size();
  };
  auto skipDoctype = [&] {
    while (i < n && text[i] != '>') {
      if (text[i++] != '[') continue;
      for (int brackets = 1; i < n && brackets > 0; ++i) {
        if (text[i] == '[') ++brackets;
        if (text[i] == ']') --brackets;
      }
    }
    ++i;
  };
  auto skipStartTag = [&] {  // answers whether the tag is an empty-element tag
    char quote = 0;
    for (; i < n; ++i) {
      const char c = text[i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        return text[i++ - 1] == '/';
      }
    }
    return false;
  };

  while ((i = text.find('<', i)) != std::string_view::npos) {
    ++i;
    if (startsWith("!--")) {
      skipPast("-->");
    } else if (startsWith("![CDATA[")) {
      skipPast("]]>");
    } else if (startsWith(kDoctype) && i + kDoctype.size() < n && IsXmlSpace(text[i + kDoctype.size()])) {
      skipDoctype();
    } else if (startsWith("!")) {
      skipPast(">");
    } else if (startsWith("?")) {
      skipPast("?>");
    } else if (startsWith("/")) {
      depth = std::max(0, depth - 1);
      skipPast(">");
    } else if (!skipStartTag() && ++depth > limit) {
      return false;
    }
  }
  return true;
}

// Geometry -------------------------------------------------------------------------------

// Transforms compose as the drawing code's do: a * b maps through b first.
ITransform operator*(ITransform a, const ITransform& b) {
  a.Transform(b);
  return a;
}

double Determinant(const ITransform& t) { return t.xx * t.yy - t.yx * t.xy; }

std::optional<ITransform> Inverse(const ITransform& t) {
  const double det = Determinant(t);
  if (!std::isfinite(det) || det == 0.0) return std::nullopt;
  return ITransform(t.yy / det, -t.yx / det, -t.xy / det, t.xx / det, (t.xy * t.ty - t.yy * t.tx) / det,
                    (t.yx * t.tx - t.xx * t.ty) / det);
}

struct Bounds {
  double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;

  void Add(double x, double y) {
    minX = std::min(minX, x);
    minY = std::min(minY, y);
    maxX = std::max(maxX, x);
    maxY = std::max(maxY, y);
  }
  bool IsEmpty() const { return !(minX <= maxX && minY <= maxY); }
};

// One coordinate of a cubic at t.
double CubicAt(double p0, double p1, double p2, double p3, double t) {
  const double s = 1.0 - t;
  return s * s * s * p0 + 3.0 * s * s * t * p1 + 3.0 * s * t * t * p2 + t * t * t * p3;
}

// The parameters in (0, 1) where one coordinate of a cubic turns.
int CubicExtremes(double p0, double p1, double p2, double p3, double (&ts)[2]) {
  const double a = -p0 + 3.0 * p1 - 3.0 * p2 + p3;
  const double b = 2.0 * (p0 - 2.0 * p1 + p2);
  const double c = p1 - p0;
  int count = 0;
  auto keep = [&](double t) {
    if (t > 0.0 && t < 1.0) ts[count++] = t;
  };
  if (std::abs(a) < 1e-12) {
    if (std::abs(b) > 1e-12) keep(-c / b);
    return count;
  }
  const double discriminant = b * b - 4.0 * a * c;
  if (discriminant < 0.0) return count;
  const double root = std::sqrt(discriminant);
  keep((-b + root) / (2.0 * a));
  keep((-b - root) / (2.0 * a));
  return count;
}

// The exact bounds of a run of cubics: a start point, then three points a segment.
Bounds CubicsBounds(const std::vector<double>& points) {
  Bounds bounds;
  if (points.size() < 2) return bounds;
  bounds.Add(points[0], points[1]);
  for (size_t i = 2; i + 6 <= points.size(); i += 6) {
    const double* p = &points[i - 2];
    bounds.Add(p[6], p[7]);
    double ts[2];
    for (int axis = 0; axis < 2; ++axis) {
      const int count = CubicExtremes(p[axis], p[2 + axis], p[4 + axis], p[6 + axis], ts);
      for (int k = 0; k < count; ++k) {
        bounds.Add(CubicAt(p[0], p[2], p[4], p[6], ts[k]), CubicAt(p[1], p[3], p[5], p[7], ts[k]));
      }
    }
  }
  return bounds;
}

// Lengths ---------------------------------------------------------------------------------

// Makes lengths for the SVG parser and resolves percentages of the viewport.
class LengthFactory {
public:
  typedef Length length_type;
  typedef double number_type;
  typedef double coordinate_type;

  explicit LengthFactory(double pixelsPerInch = 96.0) : mPixelsPerInch(pixelsPerInch) {}

  void SetViewport(double width, double height) {
    mViewportWidth = width;
    mViewportHeight = height;
  }
  double ViewportWidth() const { return mViewportWidth; }
  double ViewportHeight() const { return mViewportHeight; }

  Length create_length(double n, tag::length_units::none) const { return {n}; }
  Length create_length(double n, tag::length_units::px) const { return {n}; }
  Length create_length(double n, tag::length_units::em) const { return {n * kEmPixels}; }
  Length create_length(double n, tag::length_units::ex) const { return {n * kExPixels}; }
  Length create_length(double n, tag::length_units::in) const { return {n * mPixelsPerInch}; }
  Length create_length(double n, tag::length_units::cm) const { return {n * mPixelsPerInch / kCentimetresPerInch}; }
  Length create_length(double n, tag::length_units::mm) const { return {n * mPixelsPerInch / kMillimetresPerInch}; }
  Length create_length(double n, tag::length_units::pt) const { return {n * mPixelsPerInch / kPointsPerInch}; }
  Length create_length(double n, tag::length_units::pc) const { return {n * mPixelsPerInch / kPicasPerInch}; }
  template <class Direction>
  Length create_length(double n, tag::length_units::percent, Direction) const {
    return {n, true};
  }

  double length_to_user_coordinate(const Length& l, tag::length_dimension::width) const {
    return l.percent ? l.value / kPercent * mViewportWidth : l.value;
  }
  double length_to_user_coordinate(const Length& l, tag::length_dimension::height) const {
    return l.percent ? l.value / kPercent * mViewportHeight : l.value;
  }
  double length_to_user_coordinate(const Length& l, tag::length_dimension::not_width_nor_height) const {
    return l.percent ? l.value / kPercent * Diagonal() : l.value;
  }

private:
  double Diagonal() const {
    return std::sqrt((mViewportWidth * mViewportWidth + mViewportHeight * mViewportHeight) / 2.0);
  }

  double mPixelsPerInch;
  double mViewportWidth = 0.0;
  double mViewportHeight = 0.0;
};

// Colours --------------------------------------------------------------------------------

// The packed layout of the image record: R in the low byte.
struct PackedRgb {
  static const int preset_bits = 0;
  static const int r_offset = 0;
  static const int g_offset = 8;
  static const int b_offset = 16;
};
using ColorFactory = svgpp::factory::color::integer<uint32_t, PackedRgb>;

constexpr uint32_t kRgbMask = 0x00FFFFFF;
constexpr int kAlphaShift = 24;
constexpr double kMaxChannel = 255.0;

double Clamp01(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

uint32_t WithAlpha(uint32_t rgb, double opacity) {
  const auto alpha = static_cast<uint32_t>(std::lround(Clamp01(opacity) * kMaxChannel));
  return (rgb & kRgbMask) | (alpha << kAlphaShift);
}

// Styles ------------------------------------------------------------------------------------

// A fill or stroke as the document states it, before references are resolved.
struct PaintSpec {
  enum class Kind { None, Color, CurrentColor, Reference };
  Kind kind = Kind::None;
  uint32_t color = 0;
  std::string reference;  // a gradient's id
  // What a reference that cannot be resolved falls back to.
  Kind fallback = Kind::None;
  uint32_t fallbackColor = 0;

  static PaintSpec Of(Kind kind, uint32_t color = 0) {
    PaintSpec spec;
    spec.kind = kind;
    spec.color = color;
    return spec;
  }
};

// The properties an element passes to its children, and the ones that only
// reach them through it (opacity multiplies, display:none hides everything below).
struct Style {
  PaintSpec fill = PaintSpec::Of(PaintSpec::Kind::Color, 0);
  PaintSpec stroke;
  double fillOpacity = 1.0;
  double strokeOpacity = 1.0;
  uint32_t currentColor = 0;
  double strokeWidth = 1.0;
  int32_t lineJoin = SvgShape::kJoinMiter;
  int32_t lineCap = SvgShape::kCapButt;
  double miterLimit = 4.0;
  std::vector<double> dashes;  // empty: a solid line
  double dashOffset = 0.0;
  bool visible = true;
  bool displayed = true;
  double opacity = 1.0;  // the product of the ancestors' opacities
};

// Gradients ----------------------------------------------------------------------------------

// A gradient with everything inherited through its references.
struct ResolvedGradient {
  bool radial = false;
  Length x1{0.0, true}, y1{0.0, true}, x2{kPercent, true}, y2{0.0, true};
  Length cx{kPercent / 2, true}, cy{kPercent / 2, true}, r{kPercent / 2, true};
  bool userSpace = false;
  ITransform transform;
  int32_t spread = SvgGradient::kSpreadPad;
  std::vector<GradientStop> stops;
};

// The document --------------------------------------------------------------------------------

bool IsSvgNamespace(const XmlNode& node) {
  static constexpr std::string_view kSvgNamespace = "http://www.w3.org/2000/svg";
  const std::string_view ns(node.namespace_uri(), node.namespace_uri_size());
  return ns.empty() || ns == kSvgNamespace;
}

std::string_view LocalName(const XmlNode& node) { return {node.local_name(), node.local_name_size()}; }

// The value of an attribute without a namespace prefix.
std::optional<std::string_view> AttributeValue(const XmlNode& node, std::string_view name) {
  for (const XmlAttribute* a = node.first_attribute(); a; a = a->next_attribute()) {
    if (a->namespace_uri_size() == 0 && std::string_view(a->local_name(), a->local_name_size()) == name) {
      return std::string_view(a->value(), a->value_size());
    }
  }
  return std::nullopt;
}

// The fragment a reference attribute (href, with or without the xlink
// prefix) points at; empty when there is none.
std::string ReferencedId(const XmlNode& node) {
  for (const XmlAttribute* a = node.first_attribute(); a; a = a->next_attribute()) {
    if (std::string_view(a->local_name(), a->local_name_size()) != "href") continue;
    const std::string_view value(a->value(), a->value_size());
    if (value.size() > 1 && value.front() == '#') return std::string(value.substr(1));
  }
  return {};
}

class Document {
public:
  Document(const XmlNode& root, double pixelsPerInch, double pixelsPerUnit)
      : mPixelsPerInch(pixelsPerInch), mPixelsPerUnit(pixelsPerUnit) {
    IndexGradients(root);
  }

  double PixelsPerInch() const { return mPixelsPerInch; }
  double PixelsPerUnit() const { return mPixelsPerUnit; }
  SvgImage& Image() { return mImage; }

  // The gradient with the id, following its references; null when there is none.
  const ResolvedGradient* Gradient(const std::string& id);

  void Add(SvgShape shape, const Bounds& imageBounds) {
    mImage.mShapes.push_back(std::move(shape));
    mShapeBounds.Add(imageBounds.minX, imageBounds.minY);
    mShapeBounds.Add(imageBounds.maxX, imageBounds.maxY);
  }
  const Bounds& ShapeBounds() const { return mShapeBounds; }

  // How many of a gradient's stops the next shape copies: all while the
  // copies stay within kMaxSvgShapeStops, then only the ones drawn.
  size_t TakeStops(size_t stops) {
    const size_t taken = mStopsTaken + stops <= kMaxSvgShapeStops ? stops : std::min<size_t>(stops, IPaint::kMaxStops);
    mStopsTaken += taken;
    return taken;
  }

private:
  void IndexGradients(const XmlNode& root);
  const GradientElement* ReadGradient(const std::string& id);

  double mPixelsPerInch;
  double mPixelsPerUnit;
  SvgImage mImage;
  Bounds mShapeBounds;
  size_t mStopsTaken = 0;
  std::unordered_map<std::string, const XmlNode*> mGradientNodes;
  std::unordered_map<std::string, std::optional<GradientElement>> mGradientElements;
  svg::GradientChains mGradients{[this](const std::string& id) { return ReadGradient(id); }};
  std::unordered_map<std::string, std::optional<ResolvedGradient>> mResolved;
};

// Calls visit on every element below and including root, without recursion.
template <class Visit>
void ForEachElement(const XmlNode& root, Visit visit) {
  const XmlNode* node = &root;
  while (node) {
    if (node->type() == rapidxml_ns::node_element) visit(*node);
    if (node->first_node()) {
      node = node->first_node();
      continue;
    }
    while (node && node != &root && !node->next_sibling()) node = node->parent();
    node = node && node != &root ? node->next_sibling() : nullptr;
  }
}

// No value the reader takes holds a byte above ASCII, and the value parsers
// must not see one: they fold case a byte at a time. Each becomes DEL, which
// no value may hold either, so a value that had one still fails to parse and
// ids and references keep matching each other.
void ReplaceBytesAboveAscii(const XmlNode& root) {
  static constexpr char kDelete = 0x7F;
  ForEachElement(root, [](const XmlNode& node) {
    for (const XmlAttribute* a = node.first_attribute(); a; a = a->next_attribute()) {
      std::replace_if(a->value(), a->value() + a->value_size(), [](char c) { return (c & 0x80) != 0; }, kDelete);
    }
  });
}

// Every gradient element with an id, the first of each id.
void Document::IndexGradients(const XmlNode& root) {
  ForEachElement(root, [this](const XmlNode& node) {
    if (!IsSvgNamespace(node)) return;
    const std::string_view name = LocalName(node);
    const std::optional<std::string_view> id = AttributeValue(node, "id");
    if (id && (name == "linearGradient" || name == "radialGradient")) mGradientNodes.emplace(*id, &node);
  });
}

// Contexts ----------------------------------------------------------------------------------

template <class T>
concept PaintProperty = std::is_same_v<T, tag::attribute::fill> || std::is_same_v<T, tag::attribute::stroke>;

// What every element's context holds: the document, the style and the
// transform to image coordinates it passes on, and the lengths of its viewport.
class BaseContext {
public:
  explicit BaseContext(Document& document) : mDocument(&document), mLengths(document.PixelsPerInch()) {}
  BaseContext& operator=(const BaseContext&) = delete;

  const LengthFactory& length_factory() const { return mLengths; }

  // Called once the element's attributes are read; false skips its content.
  bool BeginContent() { return true; }
  void on_exit_element() {}

  template <class Number>
  void transform_matrix(const boost::array<Number, 6>& m) {
    mTransform = mTransform * ITransform(m[0], m[1], m[2], m[3], m[4], m[5]);
  }

  // Paints.
  template <PaintProperty PaintTag>
  void set(PaintTag, tag::value::none) {
    Paint(PaintTag()) = PaintSpec::Of(PaintSpec::Kind::None);
  }
  template <PaintProperty PaintTag>
  void set(PaintTag, tag::value::currentColor) {
    Paint(PaintTag()) = PaintSpec::Of(PaintSpec::Kind::CurrentColor);
  }
  template <PaintProperty PaintTag>
  void set(PaintTag, uint32_t color) {
    Paint(PaintTag()) = PaintSpec::Of(PaintSpec::Kind::Color, color);
  }
  template <PaintProperty PaintTag, class Range>
  void set(PaintTag, tag::iri_fragment, const Range& id) {
    SetReference(Paint(PaintTag()), id, PaintSpec::Kind::None, 0);
  }
  template <PaintProperty PaintTag, class Range>
  void set(PaintTag, tag::iri_fragment, const Range& id, tag::value::none) {
    SetReference(Paint(PaintTag()), id, PaintSpec::Kind::None, 0);
  }
  template <PaintProperty PaintTag, class Range>
  void set(PaintTag, tag::iri_fragment, const Range& id, tag::value::currentColor) {
    SetReference(Paint(PaintTag()), id, PaintSpec::Kind::CurrentColor, 0);
  }
  template <PaintProperty PaintTag, class Range>
  void set(PaintTag, tag::iri_fragment, const Range& id, uint32_t color) {
    SetReference(Paint(PaintTag()), id, PaintSpec::Kind::Color, color);
  }

  void set(tag::attribute::color, uint32_t color) { mStyle.currentColor = color; }
  void set(tag::attribute::fill_opacity, double v) { mStyle.fillOpacity = Clamp01(v); }
  void set(tag::attribute::stroke_opacity, double v) { mStyle.strokeOpacity = Clamp01(v); }
  void set(tag::attribute::opacity, double v) { mStyle.opacity = mInheritedOpacity * Clamp01(v); }

  // Stroke style.
  void set(tag::attribute::stroke_width, const Length& width) {
    const double w = mLengths.length_to_user_coordinate(width, tag::length_dimension::not_width_nor_height());
    if (w >= 0.0) mStyle.strokeWidth = w;
  }
  void set(tag::attribute::stroke_linejoin, tag::value::miter) { mStyle.lineJoin = SvgShape::kJoinMiter; }
  void set(tag::attribute::stroke_linejoin, tag::value::round) { mStyle.lineJoin = SvgShape::kJoinRound; }
  void set(tag::attribute::stroke_linejoin, tag::value::bevel) { mStyle.lineJoin = SvgShape::kJoinBevel; }
  void set(tag::attribute::stroke_linecap, tag::value::butt) { mStyle.lineCap = SvgShape::kCapButt; }
  void set(tag::attribute::stroke_linecap, tag::value::round) { mStyle.lineCap = SvgShape::kCapRound; }
  void set(tag::attribute::stroke_linecap, tag::value::square) { mStyle.lineCap = SvgShape::kCapSquare; }
  void set(tag::attribute::stroke_miterlimit, double v) {
    if (v >= 1.0) mStyle.miterLimit = v;
  }
  void set(tag::attribute::stroke_dashoffset, const Length& offset) {
    mStyle.dashOffset = mLengths.length_to_user_coordinate(offset, tag::length_dimension::not_width_nor_height());
  }
  void set(tag::attribute::stroke_dasharray, tag::value::none) { mStyle.dashes.clear(); }
  template <class Range>
  void set(tag::attribute::stroke_dasharray, const Range& lengths) {
    std::vector<double> dashes;
    for (const Length& l : lengths) {
      dashes.push_back(mLengths.length_to_user_coordinate(l, tag::length_dimension::not_width_nor_height()));
    }
    mStyle.dashes = std::move(dashes);
  }

  // Visibility.
  void set(tag::attribute::display, tag::value::none) { mStyle.displayed = false; }
  void set(tag::attribute::visibility, tag::value::visible) { mStyle.visible = true; }
  void set(tag::attribute::visibility, tag::value::hidden) { mStyle.visible = false; }
  void set(tag::attribute::visibility, tag::value::collapse) { mStyle.visible = false; }

  // Everything else is not drawn.
  template <class... Args>
  void set(const Args&...) {}

  // A value the parser did not take. "transparent", a colour keyword it
  // does not know, paints nothing rather than leaving the inherited paint.
  template <PaintProperty PaintTag, class Range>
  void Unparsed(PaintTag, const Range& value) {
    constexpr std::string_view kTransparent = "transparent";
    if (std::equal(boost::begin(value), boost::end(value), kTransparent.begin(), kTransparent.end())) {
      Paint(PaintTag()) = PaintSpec::Of(PaintSpec::Kind::None);
    }
  }
  template <class Tag, class Range>
  void Unparsed(Tag, const Range&) {}

protected:
  // A child element's context starts from its parent's style, transform and
  // viewport. The traversal makes each context from its parent's, whatever
  // kind that is: the derived contexts take it through a constructor template,
  // which wins over their copy constructors (deleted).
  struct Inherit {};
  BaseContext(const BaseContext& parent, Inherit) : BaseContext(parent) { mInheritedOpacity = mStyle.opacity; }
  BaseContext(const BaseContext&) = default;

  PaintSpec& Paint(tag::attribute::fill) { return mStyle.fill; }
  PaintSpec& Paint(tag::attribute::stroke) { return mStyle.stroke; }
  template <class Range>
  static void SetReference(PaintSpec& paint, const Range& id, PaintSpec::Kind fallback, uint32_t fallbackColor) {
    paint = PaintSpec::Of(PaintSpec::Kind::Reference);
    paint.reference.assign(boost::begin(id), boost::end(id));
    paint.fallback = fallback;
    paint.fallbackColor = fallbackColor;
  }

  Document* mDocument;
  LengthFactory mLengths;
  Style mStyle;
  ITransform mTransform;  // this element's user space to image coordinates
  double mInheritedOpacity = 1.0;
};

// The context of an element that only groups its children.
class GroupContext : public BaseContext {
public:
  template <std::derived_from<BaseContext> Parent>
  explicit GroupContext(Parent& parent) : BaseContext(parent, Inherit()) {}
  GroupContext(const GroupContext&) = delete;

protected:
  explicit GroupContext(Document& document) : BaseContext(document) {}
};

// svg: the outermost one sizes the image and maps its viewBox into it; a
// nested one places a new viewport in its parent's.
class SvgElementContext : public GroupContext {
public:
  // The outermost element.
  explicit SvgElementContext(Document& document) : GroupContext(document), mOutermost(true) {}
  template <std::derived_from<BaseContext> Parent>
  explicit SvgElementContext(Parent& parent) : GroupContext(parent) {}
  SvgElementContext(const SvgElementContext&) = delete;

  using BaseContext::set;
  void set(tag::attribute::x, const Length& x) { mX = x; }
  void set(tag::attribute::y, const Length& y) { mY = y; }
  void set(tag::attribute::width, const Length& width) { mWidth = width; }
  void set(tag::attribute::height, const Length& height) { mHeight = height; }
  void set(tag::attribute::viewBox, double x, double y, double width, double height) {
    if (width > 0.0 && height > 0.0) mViewBox = {x, y, width, height};
  }
  void set(tag::attribute::preserveAspectRatio, bool, tag::value::none) { mAlign.stretch = true; }
  template <class Align, class MeetOrSlice>
  void set(tag::attribute::preserveAspectRatio, bool, Align, MeetOrSlice) {
    mAlign.stretch = false;
    mAlign.x = Fraction(typename Align::x());
    mAlign.y = Fraction(typename Align::y());
    mAlign.slice = std::is_same_v<MeetOrSlice, tag::value::slice>;
  }

  bool BeginContent();

  // The outermost element's size, in the requested units; unknown (not a
  // positive number) where neither the element nor its viewBox gives it.
  double ImageWidth() const { return mImageWidth; }
  double ImageHeight() const { return mImageHeight; }

private:
  struct ViewBox {
    double x, y, width, height;
  };
  // xMidYMid meet unless the element says otherwise.
  struct Alignment {
    bool stretch = false;  // each axis scaled on its own to fill
    double x = 0.5;        // where the box sits in the spare room: 0, 0.5 or 1
    double y = 0.5;
    bool slice = false;    // cover the viewport rather than fit inside it
  };

  static double Fraction(tag::min_tag) { return 0.0; }
  static double Fraction(tag::mid_tag) { return 0.5; }
  static double Fraction(tag::max_tag) { return 1.0; }

  void SizeOutermost(double& width, double& height);
  ITransform ViewBoxTransform(double width, double height) const;

  bool mOutermost = false;
  std::optional<Length> mX, mY, mWidth, mHeight;
  std::optional<ViewBox> mViewBox;
  Alignment mAlign;
  double mImageWidth = 0.0;
  double mImageHeight = 0.0;
};

// A lone dimension of the outermost element follows the viewBox's aspect;
// with neither the image takes its shapes' size.
void SvgElementContext::SizeOutermost(double& width, double& height) {
  auto absolute = [](const std::optional<Length>& l) {
    return l && !l->percent && l->value > 0.0 ? l->value : 0.0;
  };
  width = absolute(mWidth);
  height = absolute(mHeight);
  if (mViewBox) {
    const double aspect = mViewBox->width / mViewBox->height;
    if (width <= 0.0 && height <= 0.0) {
      width = mViewBox->width;
      height = mViewBox->height;
    } else if (width <= 0.0) {
      width = height * aspect;
    } else if (height <= 0.0) {
      height = width / aspect;
    }
  }
  mImageWidth = width / mDocument->PixelsPerUnit();
  mImageHeight = height / mDocument->PixelsPerUnit();
}

ITransform SvgElementContext::ViewBoxTransform(double width, double height) const {
  if (!mViewBox || !(width > 0.0) || !(height > 0.0)) return {};
  double sx = width / mViewBox->width;
  double sy = height / mViewBox->height;
  if (!mAlign.stretch) sx = sy = mAlign.slice ? std::max(sx, sy) : std::min(sx, sy);
  const double tx = (width - mViewBox->width * sx) * mAlign.x - mViewBox->x * sx;
  const double ty = (height - mViewBox->height * sy) * mAlign.y - mViewBox->y * sy;
  return ITransform(sx, 0.0, 0.0, sy, tx, ty);
}

bool SvgElementContext::BeginContent() {
  double width = 0.0;
  double height = 0.0;
  if (mOutermost) {
    SizeOutermost(width, height);
    const double toUnits = 1.0 / mDocument->PixelsPerUnit();
    mTransform = ITransform(toUnits, 0.0, 0.0, toUnits, 0.0, 0.0);
  } else {
    const Length full{kPercent, true};
    const double x = mLengths.length_to_user_coordinate(mX.value_or(Length{}), tag::length_dimension::width());
    const double y = mLengths.length_to_user_coordinate(mY.value_or(Length{}), tag::length_dimension::height());
    width = mLengths.length_to_user_coordinate(mWidth.value_or(full), tag::length_dimension::width());
    height = mLengths.length_to_user_coordinate(mHeight.value_or(full), tag::length_dimension::height());
    // A viewport without room shows nothing.
    if (!(width > 0.0) || !(height > 0.0)) mStyle.displayed = false;
    mTransform = mTransform * ITransform(1.0, 0.0, 0.0, 1.0, x, y);
  }
  mTransform = mTransform * ViewBoxTransform(width, height);
  if (mViewBox) {
    mLengths.SetViewport(mViewBox->width, mViewBox->height);
  } else {
    mLengths.SetViewport(width, height);
  }
  return true;
}

// path, rect, circle, ellipse, line, polyline and polygon: outlines made of
// cubics, taken into the image when the element ends.
class ShapeContext : public BaseContext {
public:
  template <std::derived_from<BaseContext> Parent>
  explicit ShapeContext(Parent& parent) : BaseContext(parent, Inherit()) {}
  ShapeContext(const ShapeContext&) = delete;

  void path_move_to(double x, double y, tag::coordinate::absolute) {
    DropLoneStart();
    mSubpaths.push_back({{x, y}, false});
    mPenX = mStartX = x;
    mPenY = mStartY = y;
  }
  void path_line_to(double x, double y, tag::coordinate::absolute) {
    const double dx = x - mPenX;
    const double dy = y - mPenY;
    path_cubic_bezier_to(mPenX + dx / 3.0, mPenY + dy / 3.0, mPenX + dx * 2.0 / 3.0, mPenY + dy * 2.0 / 3.0, x, y,
                         tag::coordinate::absolute());
  }
  void path_cubic_bezier_to(double x1, double y1, double x2, double y2, double x, double y,
                            tag::coordinate::absolute) {
    // After a close, drawing goes on from the closed outline's start.
    if (mSubpaths.empty() || mSubpaths.back().closed) mSubpaths.push_back({{mStartX, mStartY}, false});
    mSubpaths.back().points.insert(mSubpaths.back().points.end(), {x1, y1, x2, y2, x, y});
    mPenX = x;
    mPenY = y;
  }
  // An arc, its radii made large enough to reach the end. An arc to where it
  // starts is left out, one without a radius is a line.
  void path_elliptical_arc_to(double rx, double ry, double rotationDegrees, bool largeArc, bool sweep, double x,
                              double y, tag::coordinate::absolute) {
    if (x == mPenX && y == mPenY) return;
    rx = std::abs(rx);
    ry = std::abs(ry);
    const double rotation = rotationDegrees * boost::math::constants::degree<double>();
    double cx = 0.0, cy = 0.0, startAngle = 0.0, endAngle = 0.0;
    if (rx > 0.0 && ry > 0.0) {
      svgpp::arc_endpoint_to_center(mPenX, mPenY, x, y, rx, ry, rotation, largeArc, sweep, cx, cy, startAngle,
                                    endAngle);
    }
    const double values[] = {rx, ry, rotation, cx, cy, startAngle, endAngle};
    if (!(rx > 0.0 && ry > 0.0) || !std::all_of(std::begin(values), std::end(values), [](double v) {
          return std::isfinite(v);
        })) {
      path_line_to(x, y, tag::coordinate::absolute());
      return;
    }
    const double turn = boost::math::constants::two_pi<double>();
    if (sweep && endAngle < startAngle) endAngle += turn;
    if (!sweep && endAngle > startAngle) endAngle -= turn;
    AddArc(Ellipse{cx, cy, rx, ry, std::cos(rotation), std::sin(rotation)}, startAngle, endAngle - startAngle, x, y);
  }
  void path_close_subpath() {
    if (mSubpaths.empty() || mSubpaths.back().closed) return;
    mSubpaths.back().closed = true;
    mPenX = mStartX;
    mPenY = mStartY;
  }
  void path_exit() {}

  void on_exit_element();

private:
  struct UserSubpath {
    std::vector<double> points;  // in the element's user space
    bool closed;
  };

  // An ellipse turned by an angle given as its cosine and sine; points on it
  // by the angle on the circle it is stretched from.
  struct Ellipse {
    double cx, cy, rx, ry, cosRotation, sinRotation;

    void Point(double angle, double& x, double& y) const {
      Turn(rx * std::cos(angle), ry * std::sin(angle), x, y);
      x += cx;
      y += cy;
    }
    void Tangent(double angle, double& dx, double& dy) const {
      Turn(-rx * std::sin(angle), ry * std::cos(angle), dx, dy);
    }
    void Turn(double ex, double ey, double& x, double& y) const {
      x = cosRotation * ex - sinRotation * ey;
      y = sinRotation * ex + cosRotation * ey;
    }
  };

  // The arc as cubics of at most a quarter turn, each with its control
  // points along the tangents at 4/3 tan(turn / 4) so that its middle lies
  // on the ellipse. The last one ends exactly at (endX, endY).
  void AddArc(const Ellipse& ellipse, double start, double sweep, double endX, double endY) {
    const double quarter = boost::math::constants::half_pi<double>();
    const int segments = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / quarter - kArcSlack)));
    const double step = sweep / segments;
    const double k = 4.0 / 3.0 * std::tan(step / 4.0);
    double x0 = mPenX, y0 = mPenY;
    for (int i = 1; i <= segments; ++i) {
      const double from = start + step * (i - 1);
      const double to = start + step * i;
      double x3 = endX, y3 = endY, dx0, dy0, dx3, dy3;
      if (i < segments) ellipse.Point(to, x3, y3);
      ellipse.Tangent(from, dx0, dy0);
      ellipse.Tangent(to, dx3, dy3);
      path_cubic_bezier_to(x0 + k * dx0, y0 + k * dy0, x3 - k * dx3, y3 - k * dy3, x3, y3, tag::coordinate::absolute());
      x0 = x3;
      y0 = y3;
    }
  }

  void DropLoneStart() {
    if (!mSubpaths.empty() && mSubpaths.back().points.size() < kPointsOfOneSegment) mSubpaths.pop_back();
  }
  SvgPaint ResolvePaint(const PaintSpec& spec, double paintOpacity, const Bounds& userBounds);
  SvgPaint ColorPaint(PaintSpec::Kind kind, uint32_t color, double paintOpacity) const;
  std::optional<SvgGradient> MakeGradient(const ResolvedGradient& gradient, double paintOpacity,
                                          const Bounds& userBounds, SvgPaint& flat) const;
  void SetStroke(SvgShape& shape) const;

  std::vector<UserSubpath> mSubpaths;
  double mPenX = 0.0, mPenY = 0.0, mStartX = 0.0, mStartY = 0.0;
};

// linearGradient and radialGradient: read only when a paint refers to them.
class GradientContext : public BaseContext {
public:
  template <std::derived_from<BaseContext> Parent>
  explicit GradientContext(Parent& parent, GradientElement* out = nullptr)
      : BaseContext(parent, Inherit()), mOut(out ? out : &mIgnored) {
    mTransform = {};
  }

  using BaseContext::set;
  void set(tag::attribute::x1, const Length& l) { mOut->x1 = l; }
  void set(tag::attribute::y1, const Length& l) { mOut->y1 = l; }
  void set(tag::attribute::x2, const Length& l) { mOut->x2 = l; }
  void set(tag::attribute::y2, const Length& l) { mOut->y2 = l; }
  void set(tag::attribute::cx, const Length& l) { mOut->cx = l; }
  void set(tag::attribute::cy, const Length& l) { mOut->cy = l; }
  void set(tag::attribute::r, const Length& l) { mOut->r = l; }
  void set(tag::attribute::gradientUnits, tag::value::userSpaceOnUse) { mOut->userSpace = true; }
  void set(tag::attribute::gradientUnits, tag::value::objectBoundingBox) { mOut->userSpace = false; }
  void set(tag::attribute::spreadMethod, tag::value::pad) { mOut->spread = SvgGradient::kSpreadPad; }
  void set(tag::attribute::spreadMethod, tag::value::reflect) { mOut->spread = SvgGradient::kSpreadReflect; }
  void set(tag::attribute::spreadMethod, tag::value::repeat) { mOut->spread = SvgGradient::kSpreadRepeat; }
  // The gradient's own transform arrives as the element's transform.
  template <class Number>
  void transform_matrix(const boost::array<Number, 6>& m) {
    BaseContext::transform_matrix(m);
    mOut->transform = mTransform;
  }

  void AddStop(const GradientStop& stop) { mOut->stops.push_back(stop); }

private:
  GradientElement* mOut;
  GradientElement mIgnored;
};

class StopContext : public BaseContext {
public:
  explicit StopContext(GradientContext& gradient) : BaseContext(gradient, Inherit()), mGradient(gradient) {}

  using BaseContext::set;
  void set(tag::attribute::offset, double offset) { mStop.offset = Clamp01(offset); }
  void set(tag::attribute::stop_color, uint32_t color) {
    mStop.color = color;
    mCurrentColor = false;
  }
  void set(tag::attribute::stop_color, tag::value::currentColor) { mCurrentColor = true; }
  void set(tag::attribute::stop_opacity, double v) { mStop.opacity = Clamp01(v); }

  void on_exit_element() {
    if (mCurrentColor) mStop.color = mStyle.currentColor;
    mGradient.AddStop(mStop);
  }

private:
  GradientContext& mGradient;
  GradientStop mStop;
  bool mCurrentColor = false;
};

// SVG++ configuration ----------------------------------------------------------------------------

struct ContextFactories {
  template <class Parent, class Element>
  struct apply {
    typedef svgpp::factory::context::on_stack<ShapeContext> type;
  };
  template <class Parent>
  struct apply<Parent, tag::element::g> {
    typedef svgpp::factory::context::on_stack<GroupContext> type;
  };
  template <class Parent>
  struct apply<Parent, tag::element::svg> {
    typedef svgpp::factory::context::on_stack<SvgElementContext> type;
  };
  template <class Parent>
  struct apply<Parent, tag::element::linearGradient> {
    typedef svgpp::factory::context::on_stack<GradientContext> type;
  };
  template <class Parent>
  struct apply<Parent, tag::element::radialGradient> {
    typedef svgpp::factory::context::on_stack<GradientContext> type;
  };
  template <class Parent>
  struct apply<Parent, tag::element::stop> {
    typedef svgpp::factory::context::on_stack<StopContext> type;
  };
};

// Nothing in a document stops the reading: unknown and misplaced elements are
// skipped, unknown attributes and values that do not parse are ignored (path
// data is kept up to its first error), and a shape with a negative size is
// not drawn.
struct LenientErrors {
  typedef BaseContext context_type;

  template <class Context, class XMLElement, class Name>
  static bool unknown_element(Context&, const XMLElement&, const Name&) {
    return true;
  }
  template <class Context, class XMLAttribute, class Name, class Namespace, class Source>
  static bool unknown_attribute(Context&, const XMLAttribute&, const Name&, Namespace, Source) {
    return true;
  }
  template <class Context, class XMLAttribute, class Name, class Source>
  static bool unknown_attribute(Context&, const XMLAttribute&, const Name&, Source) {
    return true;
  }
  template <class Context>
  static bool unexpected_attribute(Context&, svgpp::detail::attribute_id, tag::source::attribute) {
    return true;
  }
  template <class Context, class AttributeTag>
  static bool required_attribute_not_found(Context&, AttributeTag) {
    return true;
  }
  template <class Context, class AttributeTag, class Value>
  static bool parse_failed(Context& context, AttributeTag tag, const Value& value) {
    context.Unparsed(tag, value);
    return true;
  }
  template <class Context, class XMLElement>
  static bool unexpected_element(Context&, const XMLElement&) {
    return true;
  }
  template <class Context, class AttributeTag>
  static bool negative_value(Context&, AttributeTag) {
    return true;
  }
};

// Elements in the SVG namespace or in none: a document written without the
// namespace declaration is read too.
struct XmlElements : svgpp::policy::xml::element_iterator<const XmlNode*> {
  typedef const XmlNode* iterator_type;

  static void advance_element(iterator_type& node) {
    node = node->next_sibling();
    SkipOthers(node);
  }
  static void advance_element_or_text(iterator_type& node) { advance_element(node); }
  static iterator_type get_child_elements(iterator_type node) {
    iterator_type child = node->first_node();
    SkipOthers(child);
    return child;
  }
  static iterator_type get_child_elements_and_texts(iterator_type node) { return get_child_elements(node); }

private:
  static void SkipOthers(iterator_type& node) {
    while (node && !(node->type() == rapidxml_ns::node_element && IsSvgNamespace(*node))) {
      node = node->next_sibling();
    }
  }
};

struct TraversalControl {
  template <class Context>
  static bool proceed_to_element_content(Context& context) {
    return context.BeginContent();
  }
  template <class Context>
  static bool proceed_to_next_child(Context&) {
    return true;
  }
  template <class Context, class XMLElement>
  static bool process_child(Context&, const XMLElement&) {
    return true;
  }
};

// Path data arrives as absolute moves, lines, cubics, arcs and closes.
struct PathPolicy {
  static const bool absolute_coordinates_only = true;
  static const bool no_ortho_line_to = true;
  static const bool no_quadratic_bezier_shorthand = true;
  static const bool no_cubic_bezier_shorthand = true;
  static const bool quadratic_bezier_as_cubic = true;
  static const bool arc_as_cubic_bezier = false;
};

using ProcessedElements =
    boost::mpl::set<tag::element::svg, tag::element::g, tag::element::path, tag::element::rect, tag::element::circle,
                    tag::element::ellipse, tag::element::line, tag::element::polyline, tag::element::polygon,
                    tag::element::linearGradient, tag::element::radialGradient, tag::element::stop>::type;

using GeometryAttributes =
    boost::mpl::vector<tag::attribute::transform, tag::attribute::gradientTransform, tag::attribute::d,
                       tag::attribute::points, tag::attribute::x, tag::attribute::y, tag::attribute::width,
                       tag::attribute::height, tag::attribute::rx, tag::attribute::ry, tag::attribute::cx,
                       tag::attribute::cy, tag::attribute::r, tag::attribute::x1, tag::attribute::y1,
                       tag::attribute::x2, tag::attribute::y2, tag::attribute::viewBox,
                       tag::attribute::preserveAspectRatio>;
using StyleAttributes =
    boost::mpl::vector<tag::attribute::fill, tag::attribute::stroke, tag::attribute::fill_opacity,
                       tag::attribute::stroke_opacity, tag::attribute::opacity, tag::attribute::color,
                       tag::attribute::stroke_width, tag::attribute::stroke_linejoin, tag::attribute::stroke_linecap,
                       tag::attribute::stroke_miterlimit, tag::attribute::stroke_dasharray,
                       tag::attribute::stroke_dashoffset, tag::attribute::display, tag::attribute::visibility>;
using GradientAttributes =
    boost::mpl::vector<tag::attribute::gradientUnits, tag::attribute::spreadMethod,
                       boost::mpl::pair<tag::element::stop, tag::attribute::offset>, tag::attribute::stop_color,
                       tag::attribute::stop_opacity>;
using ProcessedAttributes = boost::mpl::fold<
    boost::mpl::joint_view<boost::mpl::joint_view<GeometryAttributes, StyleAttributes>, GradientAttributes>,
    boost::mpl::set0<>, boost::mpl::insert<boost::mpl::_1, boost::mpl::_2>>::type;

using DocumentTraversal = svgpp::document_traversal<
    svgpp::context_factories<ContextFactories>, svgpp::processed_elements<ProcessedElements>,
    svgpp::processed_attributes<ProcessedAttributes>, svgpp::xml_element_policy<XmlElements>,
    svgpp::error_policy<LenientErrors>, svgpp::document_traversal_control_policy<TraversalControl>,
    svgpp::length_policy<svgpp::policy::length::forward_to_method<BaseContext, const LengthFactory>>,
    svgpp::color_factory<ColorFactory>, svgpp::path_policy<PathPolicy>>;

// Reading gradients -----------------------------------------------------------------------------

const GradientElement* Document::ReadGradient(const std::string& id) {
  auto [entry, added] = mGradientElements.try_emplace(id);
  if (!added) return entry->second ? &*entry->second : nullptr;
  const auto node = mGradientNodes.find(id);
  if (node == mGradientNodes.end()) return nullptr;

  GradientElement element;
  element.radial = LocalName(*node->second) == "radialGradient";
  element.reference = ReferencedId(*node->second);
  BaseContext outside(*this);
  GradientContext context(outside, &element);
  if (element.radial) {
    DocumentTraversal::load_expected_element(node->second, context, tag::element::radialGradient());
  } else {
    DocumentTraversal::load_expected_element(node->second, context, tag::element::linearGradient());
  }
  entry->second = std::move(element);
  return &*entry->second;
}

const ResolvedGradient* Document::Gradient(const std::string& id) {
  if (const auto found = mResolved.find(id); found != mResolved.end()) {
    return found->second ? &*found->second : nullptr;
  }
  const svg::MergedGradient* merged = mGradients.Merged(id);
  std::optional<ResolvedGradient>& resolved = mResolved[id];
  if (!merged) return nullptr;

  ResolvedGradient gradient;
  gradient.radial = merged->radial;
  gradient.x1 = merged->x1.value_or(gradient.x1);
  gradient.y1 = merged->y1.value_or(gradient.y1);
  gradient.x2 = merged->x2.value_or(gradient.x2);
  gradient.y2 = merged->y2.value_or(gradient.y2);
  gradient.cx = merged->cx.value_or(gradient.cx);
  gradient.cy = merged->cy.value_or(gradient.cy);
  gradient.r = merged->r.value_or(gradient.r);
  gradient.userSpace = merged->userSpace.value_or(false);
  gradient.transform = merged->transform.value_or(ITransform());
  gradient.spread = merged->spread.value_or(SvgGradient::kSpreadPad);
  if (merged->stops) gradient.stops = *merged->stops;
  // Offsets never go back.
  double last = 0.0;
  for (GradientStop& stop : gradient.stops) {
    stop.offset = last = std::max(last, stop.offset);
  }
  resolved = std::move(gradient);
  return &*resolved;
}

// Finishing shapes ----------------------------------------------------------------------------

SvgPaint ShapeContext::ColorPaint(PaintSpec::Kind kind, uint32_t color, double paintOpacity) const {
  SvgPaint paint;
  if (kind == PaintSpec::Kind::None) return paint;
  paint.mType = SvgPaint::kColor;
  paint.mColor = WithAlpha(kind == PaintSpec::Kind::CurrentColor ? mStyle.currentColor : color, paintOpacity);
  return paint;
}

// The gradient as a map from image coordinates into its normalised space;
// none when it cannot be drawn. A gradient that collapses to a point or has
// a single stop is drawn in its last stop's colour, set in flat.
std::optional<SvgGradient> ShapeContext::MakeGradient(const ResolvedGradient& gradient, double paintOpacity,
                                                      const Bounds& userBounds, SvgPaint& flat) const {
  if (gradient.stops.empty()) return std::nullopt;
  const GradientStop& lastStop = gradient.stops.back();
  flat.mType = SvgPaint::kColor;
  flat.mColor = WithAlpha(lastStop.color, lastStop.opacity * paintOpacity);

  ITransform units;
  LengthFactory lengths = mLengths;
  if (!gradient.userSpace) {
    const double width = userBounds.maxX - userBounds.minX;
    const double height = userBounds.maxY - userBounds.minY;
    if (userBounds.IsEmpty() || !(width > 0.0) || !(height > 0.0)) {
      flat.mType = SvgPaint::kNone;
      return std::nullopt;
    }
    units = ITransform(width, 0.0, 0.0, height, userBounds.minX, userBounds.minY);
    lengths.SetViewport(1.0, 1.0);
  }
  const auto at = [&](const Length& l, auto dimension) { return lengths.length_to_user_coordinate(l, dimension); };

  // Maps the normalised space into the gradient's own coordinates.
  ITransform normal;
  if (gradient.radial) {
    const double r = at(gradient.r, tag::length_dimension::not_width_nor_height());
    if (r < 0.0) {
      flat.mType = SvgPaint::kNone;
      return std::nullopt;
    }
    normal = ITransform(r, 0.0, 0.0, r, at(gradient.cx, tag::length_dimension::width()),
                        at(gradient.cy, tag::length_dimension::height()));
  } else {
    const double x1 = at(gradient.x1, tag::length_dimension::width());
    const double y1 = at(gradient.y1, tag::length_dimension::height());
    const double dx = at(gradient.x2, tag::length_dimension::width()) - x1;
    const double dy = at(gradient.y2, tag::length_dimension::height()) - y1;
    normal = ITransform(dy, -dx, dx, dy, x1, y1);
  }
  const std::optional<ITransform> inverse = Inverse(mTransform * units * gradient.transform * normal);
  if (!inverse || gradient.stops.size() < 2) return std::nullopt;

  SvgGradient result;
  const double m[6] = {inverse->xx, inverse->yx, inverse->xy, inverse->yy, inverse->tx, inverse->ty};
  std::copy(std::begin(m), std::end(m), result.mTransform);
  result.mSpread = gradient.spread;
  for (const GradientStop& stop : std::span(gradient.stops).first(mDocument->TakeStops(gradient.stops.size()))) {
    result.mStops.push_back({WithAlpha(stop.color, stop.opacity * paintOpacity), static_cast<float>(stop.offset)});
  }
  return result;
}

SvgPaint ShapeContext::ResolvePaint(const PaintSpec& spec, double paintOpacity, const Bounds& userBounds) {
  if (spec.kind != PaintSpec::Kind::Reference) return ColorPaint(spec.kind, spec.color, paintOpacity);
  const ResolvedGradient* gradient = mDocument->Gradient(spec.reference);
  if (!gradient) return ColorPaint(spec.fallback, spec.fallbackColor, paintOpacity);

  SvgPaint paint;
  std::optional<SvgGradient> made = MakeGradient(*gradient, paintOpacity, userBounds, paint);
  if (made) {
    paint.mType = gradient->radial ? SvgPaint::kRadialGradient : SvgPaint::kLinearGradient;
    paint.mColor = 0;
    paint.mGradient = std::move(*made);
  }
  return paint;
}

// Widths and dashes grow with the transform's area scale.
void ShapeContext::SetStroke(SvgShape& shape) const {
  const double scale = std::sqrt(std::abs(Determinant(mTransform)));
  shape.mStrokeWidth = static_cast<float>(mStyle.strokeWidth * scale);
  if (!(shape.mStrokeWidth > 0.f)) shape.mStroke = SvgPaint();
  shape.mLineJoin = mStyle.lineJoin;
  shape.mLineCap = mStyle.lineCap;
  shape.mMiterLimit = static_cast<float>(mStyle.miterLimit);

  std::vector<double> dashes = mStyle.dashes;
  double total = 0.0;
  for (double dash : dashes) {
    if (dash < 0.0) return;  // not a dash pattern: a solid line
    total += dash;
  }
  if (!(total > 0.0)) return;
  // An odd list is repeated to make on and off pairs.
  if (dashes.size() % 2 == 1) dashes.insert(dashes.end(), dashes.begin(), dashes.end());
  shape.mDashCount = static_cast<int32_t>(std::min<size_t>(dashes.size(), SvgShape::kMaxDashes));
  for (int i = 0; i < shape.mDashCount; ++i) shape.mDashArray[i] = static_cast<float>(dashes[i] * scale);
  shape.mDashOffset = static_cast<float>(mStyle.dashOffset * scale);
}

bool IsFinite(const SvgPaint& paint) {
  for (float v : paint.mGradient.mTransform) {
    if (!std::isfinite(v)) return false;
  }
  for (const SvgGradientStop& stop : paint.mGradient.mStops) {
    if (!std::isfinite(stop.mOffset)) return false;
  }
  return true;
}

bool IsFinite(const SvgShape& shape) {
  const float values[] = {shape.mOpacity, shape.mStrokeWidth, shape.mDashOffset, shape.mMiterLimit};
  if (!std::all_of(std::begin(values), std::end(values), [](float v) { return std::isfinite(v); })) return false;
  if (!std::all_of(std::begin(shape.mDashArray), std::end(shape.mDashArray), [](float v) { return std::isfinite(v); })) {
    return false;
  }
  for (const SvgSubpath& subpath : shape.mSubpaths) {
    if (!std::all_of(subpath.mPoints.begin(), subpath.mPoints.end(), [](float v) { return std::isfinite(v); })) {
      return false;
    }
  }
  return IsFinite(shape.mFill) && IsFinite(shape.mStroke);
}

void ShapeContext::on_exit_element() {
  // Outlines without a segment (a lone move, closed or not) draw nothing.
  std::erase_if(mSubpaths, [](const UserSubpath& subpath) { return subpath.points.size() < kPointsOfOneSegment; });
  if (mSubpaths.empty()) return;

  Bounds userBounds;
  for (const UserSubpath& subpath : mSubpaths) {
    const Bounds b = CubicsBounds(subpath.points);
    userBounds.Add(b.minX, b.minY);
    userBounds.Add(b.maxX, b.maxY);
  }

  SvgShape shape;
  shape.mVisible = mStyle.visible && mStyle.displayed;
  shape.mOpacity = static_cast<float>(mStyle.opacity);
  shape.mFill = ResolvePaint(mStyle.fill, mStyle.fillOpacity, userBounds);
  shape.mStroke = ResolvePaint(mStyle.stroke, mStyle.strokeOpacity, userBounds);
  SetStroke(shape);

  Bounds imageBounds;
  for (UserSubpath& subpath : mSubpaths) {
    for (size_t i = 0; i + 1 < subpath.points.size(); i += 2) {
      mTransform.TransformPoint(subpath.points[i], subpath.points[i + 1]);
    }
    const Bounds b = CubicsBounds(subpath.points);
    imageBounds.Add(b.minX, b.minY);
    imageBounds.Add(b.maxX, b.maxY);
    SvgSubpath& out = shape.mSubpaths.emplace_back();
    out.mPoints.assign(subpath.points.begin(), subpath.points.end());
    out.mClosed = subpath.closed;
    out.mMinX = static_cast<float>(b.minX);
    out.mMinY = static_cast<float>(b.minY);
  }
  if (!IsFinite(shape) || imageBounds.IsEmpty()) return;
  mDocument->Add(std::move(shape), imageBounds);
}

// Reading ---------------------------------------------------------------------------------------

const XmlNode* SvgRoot(const rapidxml_ns::xml_document<char>& xml) {
  const XmlNode* root = xml.first_node();
  if (!root || LocalName(*root) != "svg" || !IsSvgNamespace(*root)) return nullptr;
  return root;
}

// The size the document gives, or the shapes' extent from the origin where
// it gives none that a float holds.
float ImageSize(double given, double shapesExtent) {
  const auto size = static_cast<float>(given);
  return given > 0.0 && std::isfinite(size) ? size : static_cast<float>(std::max(0.0, shapesExtent));
}

std::unique_ptr<SvgImage> Read(std::string_view text, double pixelsPerInch, double pixelsPerUnit) {
  // The parser works in place on a terminated copy; it expands only the
  // predefined and numeric character references and reads no DTD.
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back('\0');
  rapidxml_ns::xml_document<char> xml;
  xml.parse<rapidxml_ns::parse_default>(buffer.data());
  const XmlNode* root = SvgRoot(xml);
  if (!root) return nullptr;
  ReplaceBytesAboveAscii(*root);

  Document document(*root, pixelsPerInch, pixelsPerUnit);
  SvgElementContext context(document);
  if (!DocumentTraversal::load_document(root, context)) return nullptr;

  auto image = std::make_unique<SvgImage>(std::move(document.Image()));
  const Bounds& shapes = document.ShapeBounds();
  image->mWidth = ImageSize(context.ImageWidth(), shapes.maxX);
  image->mHeight = ImageSize(context.ImageHeight(), shapes.maxY);
  return image;
}

}  // namespace

std::unique_ptr<SvgImage> ParseSvg(std::string_view text, const char* units, float dpi) {
  if (!(dpi > 0.f) || !std::isfinite(dpi)) return nullptr;
  if (text.size() > kMaxSvgDocumentBytes || !NestingWithinLimit(text, kMaxSvgNestingDepth)) return nullptr;
  try {
    return Read(text, dpi, PixelsPerUnit(units, dpi));
  } catch (const std::exception&) {
    return nullptr;
  } catch (const boost::exception&) {
    return nullptr;
  }
}

}  // namespace plugkit::graphics
