#include "framework/au/view_factory.h"

#include "framework/au/plugin_au.h"

namespace plugkit {

NS::Object* IPlugAUViewFactory::init() {
  NS::Object::init();
  mPlugin = nullptr;
  return this;
}

NS::View* IPlugAUViewFactory::uiViewForAudioUnitWithSize(AudioUnit unit, NS::Size) {
  void* object = nullptr;
  UInt32 size = sizeof object;
  if (AudioUnitGetProperty(unit, kAUPluginObjectProperty, kAudioUnitScope_Global, 0, &object, &size) != noErr ||
      object == nullptr)
    return nullptr;
  mPlugin = static_cast<IPluginAU*>(object);
  if (!mPlugin->HasUI()) return nullptr;
  // The host is no C++ caller: nothing may unwind into it.
  try {
    auto* view = static_cast<NS::View*>(mPlugin->OpenEditor(nullptr));
    if (view != nullptr) view->setAutoresizingMask(kEditorViewAutoresizingMask);
    return view;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace plugkit
