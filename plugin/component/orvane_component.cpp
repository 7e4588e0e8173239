// The component library's exported entry points.

#include "plugin/orvane.h"
