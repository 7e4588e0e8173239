#include "graphics/platform/mac/platform_menu.h"

#include <cstdio>
#include <string>

#include "graphics/platform/mac/cf_string.h"

namespace {

using plugkit::IPopupMenu;
using Item = IPopupMenu::Item;

// The number a menu's prefix style puts before each title (style 0: none).
const char* PrefixFormat(int style) {
  switch (style) {
    case 1: return "%1d: ";
    case 2: return "%02d: ";
    case 3: return "%03d: ";
    default: return nullptr;
  }
}

// The item's text behind the prefix of its number (counted from 1).
std::string ItemTitle(const IPopupMenu& popup, int index) {
  const char* text = popup.GetItem(index)->GetText();
  std::string title = text ? text : "";
  if (const char* format = PrefixFormat(popup.GetPrefix())) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, format, index + 1);
    title.insert(0, prefix);
  }
  return title;
}

}  // namespace

// Receiver --------------------------------------------------------------------------------

IGraphicsMenuRcvr_vOrvane_au::~IGraphicsMenuRcvr_vOrvane_au() {
  if (mMenuItem) mMenuItem->release();
}

void IGraphicsMenuRcvr_vOrvane_au::onMenuSelection(NS::Object* sender) {
  auto* item = dynamic_cast<NS::MenuItem*>(sender);
  if (item) item->retain();
  if (mMenuItem) mMenuItem->release();
  mMenuItem = item;
}

// Menu ------------------------------------------------------------------------------------

IGraphicsMenu_vOrvane_au* IGraphicsMenu_vOrvane_au::initWithIPopupMenuAndReceiver(
    IPopupMenu& popup, IGraphicsMenuRcvr_vOrvane_au* receiver) {
  initWithTitle(CFSTR(""));
  setAutoenablesItems(false);
  for (int i = 0; i < popup.NItems(); ++i) {
    const Item& source = *popup.GetItem(i);
    const int flags = source.GetFlags();
    if (flags & Item::kSeparator) {
      addItem(NS::MenuItem::separatorItem());
      continue;
    }
    const auto title = plugkit::graphics::MakeDisplayCFString(ItemTitle(popup, i));
    NS::MenuItem* item = nullptr;
    if (IPopupMenu* submenu = source.GetSubmenu()) {
      item = addItemWithTitleActionKeyEquivalent(title.get(), NS::SEL(), CFSTR(""));
      auto* nested = (new IGraphicsMenu_vOrvane_au)->initWithIPopupMenuAndReceiver(*submenu, receiver);
      setSubmenuForItem(nested, item);
      nested->release();
    } else {
      item = addItemWithTitleActionKeyEquivalent(title.get(), NS_SELECTOR(IGraphicsMenuRcvr_vOrvane_au, onMenuSelection),
                                                 CFSTR(""));
      item->setTarget(receiver);
    }
    item->setIndentationLevel(flags & Item::kTitle ? 1 : 0);
    item->setEnabled(!(flags & Item::kDisabled));
    item->setState(flags & Item::kChecked ? NS::ControlStateValueOn : NS::ControlStateValueOff);
  }
  mIPopupMenu = &popup;
  return this;
}
