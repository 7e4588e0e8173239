// The editor view's native text entry.

#include <AppKit/NSFont.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSAutoreleasePool.h>
#include <Foundation/NSCharacterSet.h>
#include <Foundation/NSNotification.h>
#include <Foundation/NSRef.h>

#include <string>
#include <utility>

#include "framework/core/param.h"
#include "graphics/graphics_editor_delegate.h"
#include "graphics/platform/mac/cf_string.h"
#include "graphics/platform/mac/device_color.h"
#include "graphics/platform/mac/editor_view.h"
#include "graphics/platform/mac/font_descriptor_cache.h"
#include "graphics/platform/mac/graphics_mac.h"
#include "graphics/platform/mac/platform_text_field.h"

using plugkit::IParam;
using plugkit::graphics::DeviceColor;
using plugkit::graphics::EAlign;
using plugkit::graphics::EVAlign;
using plugkit::graphics::IText;

namespace {

// The style's font as the editor draws it, at the draw scale; for a font the
// cache does not hold, the system font at the style's size times the scale.
NS::Font* EntryFont(const IText& text, float drawScale) {
  if (const auto* cached = plugkit::graphics::FindFontDescriptor(text.mFont)) {
    if (NS::Font* font = NS::Font::fontWithDescriptorSize(cached->GetDescriptor(),
                                                           cached->GetHeightRatio() * drawScale * text.mSize)) {
      return font;
    }
  }
  return NS::Font::systemFontOfSize(text.mSize * drawScale);
}

// Left for near, right for far; the field's default for any other value.
void Align(NS::TextField& field, EAlign align) {
  switch (align) {
    case EAlign::Near: field.setAlignment(NS::TextAlignmentLeft); break;
    case EAlign::Center: field.setAlignment(NS::TextAlignmentCenter); break;
    case EAlign::Far: field.setAlignment(NS::TextAlignmentRight); break;
  }
}

// What can be typed for a parameter of the type: signed integers, signed
// decimals, or nothing at all.
CFStringRef AcceptedCharacters(IParam::EParamType type) {
  switch (type) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      return CFSTR("0123456789-+");
    case IParam::kTypeDouble:
      return CFSTR("0123456789.-+");
    default:
      return CFSTR("");
  }
}

}  // namespace

void IGraphicsView_vOrvane_au::createTextEntry(int paramIdx, const IText& text, const char* str, int maxLength,
                                               const NS::Rect& areaRect) {
  // The core already waits for the newer request: the open field must not answer it.
  closeTextField();
  const NS::AutoreleasePool pool;
  mTextFieldView = static_cast<IGraphicsTextField_vOrvane_au*>((new IGraphicsTextField_vOrvane_au)->initWithFrame(areaRect));
  IGraphicsTextField_vOrvane_au& field = *mTextFieldView;
  if (text.mVAlign == EVAlign::Middle) {
    NS::TextFieldCell* cell = (new IGraphicsTextFieldCell_vOrvane_au)->initTextCell(CFSTR("textfield"));
    cell->setEditable(true);
    cell->setDrawsBackground(true);
    field.setCell(cell);
    cell->release();
  }
  field.setFont(EntryFont(text, drawScale()));
  Align(field, text.mAlign);

  const plugkit::IEditorDelegate* delegate = mGraphics ? mGraphics->GetDelegate() : nullptr;
  if (const IParam* param = delegate && paramIdx >= 0 ? delegate->GetParam(paramIdx) : nullptr) {
    auto* formatter = new IGraphicsFormatter_vOrvane_au;
    formatter->setAcceptableCharacterSet(NS::CharacterSet::characterSetWithCharactersInString(AcceptedCharacters(param->Type())));
    formatter->setMaximumLength(maxLength);
    field.setFormatter(formatter);
    formatter->release();
  }

  field.setLineBreakMode(NS::LineBreakByTruncatingTail);
  field.setAllowsEditingTextAttributes(false);
  field.setTextColor(DeviceColor(text.mTextEntryFGColor));
  field.setBackgroundColor(DeviceColor(text.mTextEntryBGColor));
  field.setStringValue(plugkit::graphics::MakeDisplayCFString(str).get());
  field.setBordered(false);
  field.setFocusRingType(NS::FocusRingTypeNone);
  field.setDelegate(this);

  addSubview(&field);
  if (NS::Window* hostWindow = window()) {
    hostWindow->makeKeyAndOrderFront(this);
    hostWindow->makeFirstResponder(&field);
  }
}

// The core forgets the request as it hands the text on; a new entry its
// control asks for meanwhile replaces this field and stays open.
void IGraphicsView_vOrvane_au::controlTextDidEndEditing(NS::Notification* notification) {
  IGraphicsTextField_vOrvane_au* field = mTextFieldView;
  if (!field || notification->object() != field) return;
  // The answer may close the editor, which lets this view go.
  const auto self = NS::Ref<IGraphicsView_vOrvane_au>::Retain(this);
  const auto heldField = NS::Ref<IGraphicsTextField_vOrvane_au>::Retain(field);
  if (mGraphics) {
    const std::string typed = plugkit::graphics::CFStringText(field->stringValue());
    mGraphics->SetControlValueAfterTextEdit(typed.c_str());
  }
  if (mGraphics) mGraphics->SetAllControlsDirty();
  if (mTextFieldView == field) closeTextField();
}

void IGraphicsView_vOrvane_au::endUserInput() {
  if (!mTextFieldView) return;
  closeTextField();
  if (mGraphics) mGraphics->ForgetTextEntryTarget();
}

void IGraphicsView_vOrvane_au::closeTextField() {
  IGraphicsTextField_vOrvane_au* field = std::exchange(mTextFieldView, nullptr);
  if (!field) return;
  field->setDelegate(nullptr);
  field->removeFromSuperview();
  if (NS::Window* hostWindow = window()) hostWindow->makeFirstResponder(this);
  field->release();
}
