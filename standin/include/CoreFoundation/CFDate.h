#pragma once

#include <CoreFoundation/CFBase.h>

typedef double CFTimeInterval;
typedef CFTimeInterval CFAbsoluteTime;  // seconds since 2001-01-01 00:00:00 UTC

CF_EXTERN_C_BEGIN

// The real clock, or the manual clock while a test drives it (standin/testing/run_loop.h).
CFAbsoluteTime CFAbsoluteTimeGetCurrent(void);

CF_EXTERN_C_END
