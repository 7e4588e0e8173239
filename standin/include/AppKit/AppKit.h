#pragma once

#include <AppKit/NSView.h>
#include <Foundation/Foundation.h>
