#pragma once

namespace orvane::testing {

// Test-only: waits for a running update check and returns the process-wide
// update-check state and the theme to how the process starts.
void ResetProcessWideState();

}  // namespace orvane::testing
