#pragma once

// Colour constructors. Components are non-premultiplied floats, nominally 0
// to 1; byte arguments are divided by 255.
//
// Threads: any.

#include "graphics/renderer/render_backend.h"

VCcolor vcRGB(unsigned char r, unsigned char g, unsigned char b);
VCcolor vcRGBf(float r, float g, float b);
VCcolor vcRGBA(unsigned char r, unsigned char g, unsigned char b, unsigned char a);
// `c` with alpha a / 255, or a.
VCcolor vcTransRGBA(VCcolor c, unsigned char a);
VCcolor vcTransRGBAf(VCcolor c, float a);
// c0 (u 0) to c1 (u 1), u clamped to [0, 1].
VCcolor vcLerpRGBA(VCcolor c0, VCcolor c1, float u);
// Hue, saturation and lightness, each 0 to 1 (hue wraps); alpha a / 255.
VCcolor vcHSL(float h, float s, float l);
VCcolor vcHSLA(float h, float s, float l, unsigned char a);
