#pragma once

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace orvane {

// Subnormal numbers slow the filters down after silence; flush them while an
// engine runs and give the caller its own mode back.
#if defined(__SSE__) || defined(__x86_64__)
class ScopedFlushDenormals {
public:
  ScopedFlushDenormals() : mSaved(_mm_getcsr()) { _mm_setcsr(mSaved | kFlushToZero | kDenormalsAreZero); }
  ~ScopedFlushDenormals() { _mm_setcsr(mSaved); }
  ScopedFlushDenormals(const ScopedFlushDenormals&) = delete;
  ScopedFlushDenormals& operator=(const ScopedFlushDenormals&) = delete;

private:
  static constexpr unsigned kFlushToZero = 0x8000;
  static constexpr unsigned kDenormalsAreZero = 0x0040;
  unsigned mSaved;
};
#else
struct ScopedFlushDenormals {};
#endif

}  // namespace orvane
