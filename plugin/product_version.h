#pragma once

namespace orvane {

// The released version of this build, as the update check compares it and the
// update notice names it.
inline constexpr char kProductVersionText[] = "1.0.4";

// What the editor's footer tells about the build.
inline constexpr unsigned long long kProductBuildNumber = 535;
inline constexpr char kProductBuildKind[] = "RELEASE";
#if defined(__aarch64__) || defined(__arm64__)
inline constexpr char kProductBuildProcessor[] = "arm64";
#else
inline constexpr char kProductBuildProcessor[] = "x86_64";
#endif
// When set and not empty, the processor the footer names instead, so that
// screenshots of the editor match on every machine.
inline constexpr char kPinnedProcessorVariable[] = "ORVANE_PINNED_PROCESSOR";
// Fixed rather than the compiler's clock, so that builds of one source match.
inline constexpr char kProductBuildDate[] = "Mar 12 2026 09:41:07 AM UTC";

}  // namespace orvane
