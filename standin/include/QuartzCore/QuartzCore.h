#pragma once

#include <QuartzCore/CAMetalLayer.h>
