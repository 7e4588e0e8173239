#include "graphics/graphics_editor_delegate.h"

namespace plugkit::graphics {

IGEditorDelegate::IGEditorDelegate(int nParams) : IEditorDelegate(nParams) {}

IGEditorDelegate::~IGEditorDelegate() = default;

}  // namespace plugkit::graphics
