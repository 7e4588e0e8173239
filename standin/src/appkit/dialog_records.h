#pragma once

// What animation groupings, alerts, panels and the colour panel keep for the
// testing API, and how ResetAppKit clears it. Main thread only, like AppKit.

#include <AppKit/NSView.h>

namespace standin::appkit {

// A view's frame changed: the innermost open animation grouping notes it.
void NoteFrameChange(const NS::View& view);

void ResetAnimationGroupings();
void ResetAlerts();
// Queued answers, the log and unanswered sheets (their handlers never run).
void ResetPanels();
// The shared colour panel counts as never made again.
void ResetColorPanel();

}  // namespace standin::appkit
