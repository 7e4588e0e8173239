#include <AppKit/NSView.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSRef.h>
#include <standin/testing/appkit.h>

#include <algorithm>
#include <atomic>
#include <optional>

#include "appkit/view_geometry.h"
#include "cf_string.h"
#include "usage_checks.h"

namespace standin::appkit {
namespace {

std::atomic<NS::ToolTipTag> gLastTag{0};

}  // namespace

struct ToolTipAccess {
  using Tip = NS::View::ToolTipRect;

  static const std::vector<Tip>& Rects(const NS::View& view) { return view.toolTips_; }

  // The most recently added rectangle under the point is the one on top.
  static std::optional<Tip> TipAt(const NS::View& view, NS::Point point) {
    const auto& tips = view.toolTips_;
    const auto found = std::find_if(tips.rbegin(), tips.rend(),
                                    [point](const Tip& tip) { return RectContainsPoint(tip.rect, point); });
    if (found == tips.rend()) return std::nullopt;
    return *found;
  }

  // What the owner answers, or its description when it is no tooltip owner.
  static std::string AskOwner(NS::View& view, const Tip& tip, NS::Point point) {
    const NS::AutoreleasePool pool;
    auto* const owner = dynamic_cast<NS::ViewToolTipOwner*>(tip.owner);
    const CFStringRef text = owner != nullptr
                                 ? owner->viewStringForToolTipPointUserData(&view, tip.tag, point, tip.userData)
                                 : tip.owner->description();
    return cf::StringText(text);
  }
};

}  // namespace standin::appkit

namespace NS {

ToolTipTag View::addToolTipRectOwnerUserData(const Rect& rect, Object* owner, void* userData) {
  standin::appkit::CheckMainThread();
  if (owner == nullptr) return 0;
  const ToolTipTag tag = ++standin::appkit::gLastTag;
  toolTips_.push_back(ToolTipRect{tag, rect, owner, userData});
  return tag;
}

void View::removeAllToolTips() {
  standin::appkit::CheckMainThread();
  toolTips_.clear();
}

}  // namespace NS

namespace standin::testing {

std::optional<std::string> ToolTipAt(NS::View* view, NS::Point point) {
  if (view == nullptr || view->window() == nullptr) return std::nullopt;
  if (!appkit::RectContainsPoint(view->visibleRect(), point)) return std::nullopt;
  const auto held = NS::Ref<NS::View>::Retain(view);
  // A copy: the owner may change the list while it answers.
  const auto tip = appkit::ToolTipAccess::TipAt(*view, point);
  if (!tip) return std::nullopt;
  return appkit::ToolTipAccess::AskOwner(*view, *tip, point);
}

std::vector<NS::Rect> ToolTipRects(const NS::View* view) {
  std::vector<NS::Rect> rects;
  if (view == nullptr) return rects;
  for (const auto& tip : appkit::ToolTipAccess::Rects(*view)) rects.push_back(tip.rect);
  return rects;
}

}  // namespace standin::testing
