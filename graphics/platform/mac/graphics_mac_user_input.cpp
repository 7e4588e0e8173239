// Native popup menus and text entry, shown through the editor view.

#include <dispatch/dispatch.h>

#include <memory>

#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "graphics/platform/mac/view_geometry.h"

namespace plugkit::graphics {

void IGraphicsMac::ShowPlatformTextEntry(int paramIdx, const IText& text, const IRECT& bounds, int maxLength,
                                         const char* str) {
  if (mView) mView->createTextEntry(paramIdx, text, str, maxLength, ScaledViewRect(bounds, GetDrawScale()));
}

void IGraphicsMac::EndTextEntry() {
  if (mView) mView->endUserInput();
}

// Each step may end the wait: the menu can be gone with the control that
// asked, or with this context.
IPopupMenu* IGraphicsMac::ShowPlatformPopupMenu(IPopupMenu& menu, const IRECT& bounds, bool& isAsync) {
  isAsync = true;
  const unsigned request = ++mPopupMenuRequests;
  const IControl* asker = GetControlInPopupMenu();
  dispatch_async(dispatch_get_main_queue(), [liveness = std::weak_ptr(mLiveness), asker, request, &menu, bounds] {
    const auto waiting = [&]() -> IGraphicsMac* {
      const std::shared_ptr<IGraphicsMac*> alive = liveness.lock();
      IGraphicsMac* graphics = alive ? *alive : nullptr;
      const bool current = graphics && asker && graphics->mPopupMenuRequests == request &&
                           graphics->GetControlInPopupMenu() == asker;
      return current ? graphics : nullptr;
    };
    IGraphicsMac* graphics = waiting();
    if (!graphics) return;
    IPopupMenu* result =
        graphics->mView ? graphics->mView->createPopupMenu(menu, ScaledViewRect(bounds, graphics->GetDrawScale()))
                        : nullptr;
    if (result && result->GetFunction()) {
      if (!waiting()) return;
      // A copy runs: the function may empty the menu it belongs to.
      const IPopupMenu::CompletionFunc completion = result->GetFunction();
      completion(result);
    }
    if ((graphics = waiting())) graphics->SetPopupMenuResult(result);
  });
  return nullptr;
}

}  // namespace plugkit::graphics
