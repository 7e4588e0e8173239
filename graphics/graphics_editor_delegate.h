#pragma once

#include "framework/editor_delegate.h"

namespace plugkit::graphics {

// The editor delegate that owns the graphics context drawing the editor.
class IGEditorDelegate : public IEditorDelegate {
public:
  explicit IGEditorDelegate(int nParams);
  ~IGEditorDelegate() override;
};

}  // namespace plugkit::graphics
