#pragma once

namespace orvane {

// The released version of this build, as the update check compares it and the
// update notice names it.
inline constexpr char kProductVersionText[] = "1.0.4";

}  // namespace orvane
