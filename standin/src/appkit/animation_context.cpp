#include <AppKit/NSAnimationContext.h>
#include <standin/testing/appkit.h>

#include <vector>

#include "appkit/dialog_records.h"
#include "usage_checks.h"

namespace standin::appkit {
namespace {

constexpr NS::TimeInterval kDefaultAnimationDuration = 0.25;

struct Groupings {
  NS::TimeInterval outsideDuration = kDefaultAnimationDuration;  // the default context's
  std::vector<testing::AnimationGrouping> open;                  // innermost last
  std::vector<testing::AnimationGrouping> ended;
};

Groupings& State() {
  static auto* const groupings = new Groupings;  // outlives static destructors
  return *groupings;
}

NS::TimeInterval& CurrentDuration() {
  Groupings& groupings = State();
  return groupings.open.empty() ? groupings.outsideDuration : groupings.open.back().duration;
}

}  // namespace

void NoteFrameChange(const NS::View& view) {
  if (!State().open.empty()) State().open.back().framesChanged.push_back(&view);
}

void ResetAnimationGroupings() { State() = Groupings{}; }

}  // namespace standin::appkit

namespace NS {

AnimationContext::AnimationContext() { makeImmortal(); }

void AnimationContext::beginGrouping() {
  standin::appkit::CheckMainThread();
  standin::appkit::State().open.push_back(
      standin::testing::AnimationGrouping{standin::appkit::kDefaultAnimationDuration, {}});
}

void AnimationContext::endGrouping() {
  standin::appkit::CheckMainThread();
  auto& groupings = standin::appkit::State();
  if (groupings.open.empty()) {
    standin::appkit::CountValidationError();
    return;
  }
  groupings.ended.push_back(std::move(groupings.open.back()));
  groupings.open.pop_back();
}

AnimationContext* AnimationContext::currentContext() {
  // One object serves every level: it always speaks for the innermost grouping.
  static AnimationContext* const shared = new AnimationContext;
  return shared;
}

void AnimationContext::setDuration(TimeInterval duration) {
  standin::appkit::CheckMainThread();
  standin::appkit::CurrentDuration() = duration;
}

TimeInterval AnimationContext::duration() const { return standin::appkit::CurrentDuration(); }

}  // namespace NS

namespace standin::testing {

std::vector<AnimationGrouping> EndedAnimationGroupings() { return appkit::State().ended; }

int OpenAnimationGroupingCount() { return static_cast<int>(appkit::State().open.size()); }

}  // namespace standin::testing
