#include <AppKit/NSMenu.h>
#include <AppKit/NSView.h>
#include <Foundation/NSRef.h>

#include <algorithm>

#include "appkit/appkit_state.h"
#include "cf_string.h"
#include "usage_checks.h"

namespace standin::appkit {
namespace {

constexpr NS::Integer kMaxIndentationLevel = 15;

CFStringRef CopyOrEmpty(CFStringRef text) {
  return text != nullptr ? CFStringCreateCopy(kCFAllocatorDefault, text) : cf::MakeString("");
}

}  // namespace

// Describes a run to the testing responder and carries out its answer.
struct MenuRunner {
  static bool IsEnabled(const NS::Menu& menu, const NS::MenuItem& item) {
    if (item.isSeparatorItem()) return false;
    if (!menu.autoenablesItems()) return item.isEnabled();
    return item.hasSubmenu() || (item.target() != nullptr && item.target()->respondsToSelector(item.action()));
  }

  static std::vector<testing::MenuItemDescription> Describe(const NS::Menu& menu) {
    std::vector<testing::MenuItemDescription> items;
    for (const NS::MenuItem* item : menu.items_) {
      testing::MenuItemDescription& described = items.emplace_back();
      described.title = cf::StringText(item->title());
      described.separator = item->isSeparatorItem();
      described.enabled = IsEnabled(menu, *item);
      described.state = item->state();
      described.indentation = item->indentationLevel();
      described.hasSubmenu = item->hasSubmenu();
      if (item->hasSubmenu()) described.submenu = Describe(*item->submenu());
    }
    return items;
  }

  // The item the path leads to, when the user could choose it; null otherwise.
  static NS::MenuItem* Resolve(NS::Menu& top, const std::vector<long>& path) {
    NS::Menu* menu = &top;
    NS::MenuItem* item = nullptr;
    for (std::size_t step = 0; step < path.size(); ++step) {
      if (menu == nullptr || path[step] < 0 || path[step] >= menu->numberOfItems()) return nullptr;
      item = menu->items_[static_cast<std::size_t>(path[step])];
      if (!IsEnabled(*menu, *item)) return nullptr;
      menu = item->submenu();
    }
    return item != nullptr && !item->hasSubmenu() ? item : nullptr;
  }

  static bool Run(NS::Menu& menu, NS::MenuItem* positioningItem, NS::Point location, NS::View* view) {
    AppKitState& state = State();
    std::vector<long> answer;
    if (!state.menuAnswers.empty()) {
      answer = std::move(state.menuAnswers.front());
      state.menuAnswers.pop_front();
    }
    testing::MenuRun run{
        Describe(menu), cf::StringText(menu.title()), menu.indexOfItem(positioningItem), location, view, answer, false};
    NS::MenuItem* const chosen = answer.empty() ? nullptr : Resolve(menu, answer);
    if (!answer.empty() && chosen == nullptr) CountValidationError();
    run.chose = chosen != nullptr;
    state.menuRuns.push_back(std::move(run));
    if (chosen == nullptr) return false;
    // The action may tear the menu down; the item stays for the call.
    const auto held = NS::Ref<NS::MenuItem>::Retain(chosen);
    NS::Object* const target = chosen->target();
    if (target != nullptr && chosen->action()) target->performSelectorWithObject(chosen->action(), chosen);
    return true;
  }
};

}  // namespace standin::appkit

namespace NS {

MenuItem* MenuItem::separatorItem() {
  standin::appkit::CheckMainThread();
  auto* item = (new MenuItem)->initWithTitleActionKeyEquivalent(nullptr, SEL(), nullptr);
  item->separator_ = true;
  return static_cast<MenuItem*>(item->autorelease());
}

MenuItem* MenuItem::initWithTitleActionKeyEquivalent(CFStringRef title, const SEL& action, CFStringRef keyEquivalent) {
  standin::appkit::CheckMainThread();
  if (title_ != nullptr) CFRelease(title_);
  if (keyEquivalent_ != nullptr) CFRelease(keyEquivalent_);
  title_ = standin::appkit::CopyOrEmpty(title);
  keyEquivalent_ = standin::appkit::CopyOrEmpty(keyEquivalent);
  action_ = action;
  return this;
}

MenuItem::~MenuItem() {
  setSubmenu(nullptr);
  if (title_ != nullptr) CFRelease(title_);
  if (keyEquivalent_ != nullptr) CFRelease(keyEquivalent_);
}

void MenuItem::setIndentationLevel(Integer level) {
  indentation_ = std::clamp<Integer>(level, 0, standin::appkit::kMaxIndentationLevel);
}

void MenuItem::setSubmenu(Menu* submenu) {
  standin::appkit::CheckMainThread();
  if (submenu == submenu_) return;
  if (submenu != nullptr && submenu->supermenuItem_ != nullptr) {
    standin::appkit::CountValidationError();
    return;
  }
  if (submenu != nullptr) {
    submenu->retain();
    submenu->supermenuItem_ = this;
  }
  if (submenu_ != nullptr) {
    submenu_->supermenuItem_ = nullptr;
    submenu_->release();
  }
  submenu_ = submenu;
}

Menu* Menu::initWithTitle(CFStringRef title) {
  standin::appkit::CheckMainThread();
  if (title_ != nullptr) CFRelease(title_);
  title_ = standin::appkit::CopyOrEmpty(title);
  return this;
}

Menu::~Menu() {
  for (MenuItem* item : items_) {
    item->menu_ = nullptr;
    item->release();
  }
  if (title_ != nullptr) CFRelease(title_);
}

void Menu::addItem(MenuItem* item) {
  standin::appkit::CheckMainThread();
  if (item == nullptr || item->menu_ != nullptr) {
    standin::appkit::CountValidationError();
    return;
  }
  item->retain();
  item->menu_ = this;
  items_.push_back(item);
}

MenuItem* Menu::addItemWithTitleActionKeyEquivalent(CFStringRef title, const SEL& action, CFStringRef keyEquivalent) {
  MenuItem* item = (new MenuItem)->initWithTitleActionKeyEquivalent(title, action, keyEquivalent);
  addItem(item);
  item->release();
  return item;
}

void Menu::setSubmenuForItem(Menu* submenu, MenuItem* item) {
  if (item != nullptr) item->setSubmenu(submenu);
}

MenuItem* Menu::itemAtIndex(Integer index) const {
  if (index < 0 || index >= numberOfItems()) {
    standin::appkit::CountValidationError();
    return nullptr;
  }
  return items_[static_cast<std::size_t>(index)];
}

Integer Menu::indexOfItem(const MenuItem* item) const {
  const auto found = std::find(items_.begin(), items_.end(), item);
  return found == items_.end() ? -1 : static_cast<Integer>(found - items_.begin());
}

bool Menu::popUpMenuPositioningItemAtLocationInView(MenuItem* item, Point location, View* view) {
  standin::appkit::CheckMainThread();
  const auto self = Ref<Menu>::Retain(this);
  return standin::appkit::MenuRunner::Run(*this, item, location, view);
}

}  // namespace NS

namespace standin::testing {

void QueueMenuChoice(std::vector<long> path) { appkit::State().menuAnswers.push_back(std::move(path)); }

void QueueMenuDismissal() { appkit::State().menuAnswers.emplace_back(); }

std::vector<MenuRun> MenuRuns() { return appkit::State().menuRuns; }

}  // namespace standin::testing
