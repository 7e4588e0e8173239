#pragma once

// The gradient elements of an SVG document and what each inherits from the
// gradients it refers to (href). Kept apart from the SVG reader, which needs
// the parser's templates; nothing here does. Any thread; one instance per
// document.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "graphics/drawing_types.h"

namespace plugkit::graphics::svg {

// A length in user units, or a percentage kept until the reference it is a
// percentage of is known.
struct Length {
  double value = 0.0;
  bool percent = false;
};

struct GradientStop {
  double offset = 0.0;
  uint32_t color = 0;
  double opacity = 1.0;
};

// One gradient element as written: what it leaves out comes from the one it
// references.
struct GradientElement {
  bool radial = false;
  std::optional<Length> x1, y1, x2, y2, cx, cy, r;
  std::optional<bool> userSpace;
  std::optional<ITransform> transform;
  std::optional<int32_t> spread;
  std::vector<GradientStop> stops;
  std::string reference;  // the id it refers to; empty when none
};

// What a gradient takes from itself and the gradients along its references,
// before any default: each attribute from the first that sets it, the
// geometry only from gradients of its own kind. The stops belong to the
// element that set them.
struct MergedGradient {
  bool radial = false;
  std::optional<Length> x1, y1, x2, y2;  // from linear gradients
  std::optional<Length> cx, cy, r;       // from radial gradients
  std::optional<bool> userSpace;
  std::optional<ITransform> transform;
  std::optional<int32_t> spread;
  const std::vector<GradientStop>* stops = nullptr;  // null: none along the chain
};

class GradientChains {
public:
  // The element with the id, or null when there is none; an element must
  // outlive this.
  using ReadElement = std::function<const GradientElement*(const std::string& id)>;

  explicit GradientChains(ReadElement read) : mRead(std::move(read)) {}

  // The gradient with the id merged along its references, which end at a
  // missing gradient or at one met before on the way; null when the id names
  // no gradient. Each gradient is merged once, so a document's gradients cost
  // time in proportion to their number, however long their chains.
  const MergedGradient* Merged(const std::string& id);

  // Merges made so far: one per gradient, two for each of a reference cycle's
  // but one.
  size_t Merges() const { return mMerges; }

private:
  MergedGradient Merge(const GradientElement& own, const MergedGradient& inherited);

  ReadElement mRead;
  std::unordered_map<std::string, MergedGradient> mMerged;
  size_t mMerges = 0;
};

}  // namespace plugkit::graphics::svg
