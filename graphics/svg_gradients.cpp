#include "graphics/svg_gradients.h"

#include <utility>

namespace plugkit::graphics::svg {

namespace {

constexpr size_t kNoCycle = static_cast<size_t>(-1);

template <class T>
void TakeIfSet(std::optional<T>& field, const std::optional<T>& own) {
  if (own) field = own;
}

}  // namespace

const MergedGradient* GradientChains::Merged(const std::string& id) {
  if (const auto found = mMerged.find(id); found != mMerged.end()) return &found->second;

  // Follow the references until a gradient merged before, a missing one, or
  // one met before on this walk (a cycle from there on).
  std::vector<std::pair<const std::string*, const GradientElement*>> walk;
  std::unordered_map<std::string, size_t> onWalk;
  MergedGradient inherited;
  size_t cycleStart = kNoCycle;
  for (std::string next = id;;) {
    if (const auto found = mMerged.find(next); found != mMerged.end()) {
      inherited = found->second;
      break;
    }
    const auto [at, added] = onWalk.try_emplace(next, walk.size());
    if (!added) {
      cycleStart = at->second;
      break;
    }
    const GradientElement* element = mRead(next);
    if (!element) break;
    walk.emplace_back(&at->first, element);
    next = element->reference;
  }

  size_t end = walk.size();
  if (cycleStart != kNoCycle) {
    // Each gradient of a cycle inherits from all the others, the one it
    // refers to first. Folding twice round the cycle (less one) from the back
    // merges every one of them in its own order.
    const size_t length = walk.size() - cycleStart;
    MergedGradient folded;
    for (size_t k = 2 * length - 1; k-- > 0;) {
      folded = Merge(*walk[cycleStart + k % length].second, folded);
      if (k < length) mMerged.emplace(*walk[cycleStart + k].first, folded);
    }
    inherited = std::move(folded);
    end = cycleStart;
  }
  for (size_t i = end; i-- > 0;) {
    inherited = Merge(*walk[i].second, inherited);
    mMerged.emplace(*walk[i].first, inherited);
  }
  const auto found = mMerged.find(id);
  return found == mMerged.end() ? nullptr : &found->second;
}

MergedGradient GradientChains::Merge(const GradientElement& own, const MergedGradient& inherited) {
  ++mMerges;
  MergedGradient merged = inherited;
  merged.radial = own.radial;
  if (own.radial) {
    TakeIfSet(merged.cx, own.cx);
    TakeIfSet(merged.cy, own.cy);
    TakeIfSet(merged.r, own.r);
  } else {
    TakeIfSet(merged.x1, own.x1);
    TakeIfSet(merged.y1, own.y1);
    TakeIfSet(merged.x2, own.x2);
    TakeIfSet(merged.y2, own.y2);
  }
  TakeIfSet(merged.userSpace, own.userSpace);
  TakeIfSet(merged.transform, own.transform);
  TakeIfSet(merged.spread, own.spread);
  if (!own.stops.empty()) merged.stops = &own.stops;
  return merged;
}

}  // namespace plugkit::graphics::svg
