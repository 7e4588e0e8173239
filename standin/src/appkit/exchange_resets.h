#pragma once

// Putting the pasteboards, drags, the workspace and the cursors back as a
// fresh process has them, for ResetAppKit.

namespace standin::appkit {

void ResetDragging();
void ResetPasteboards();
void ResetWorkspace();
void ResetCursors();

}  // namespace standin::appkit
