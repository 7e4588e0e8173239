#pragma once

// CoreGraphics drawing contexts: CF objects, retained and released as such.

typedef struct CGContext* CGContextRef;
