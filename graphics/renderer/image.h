#pragma once

// Images: textures of the back end, identified by the ids it returns (0 =
// failure). Encoded images are PNG or JPEG files, decoded to 8-bit RGBA with
// straight alpha.
//
// Threads: the thread that drives the context. The decoder keeps its
// settings and failure reason process-wide.

struct VCcontext;

// Sides above this are refused: no back end here makes a larger texture.
inline constexpr int VC_MAX_IMAGE_SIDE = 16384;
// Images of more pixels (a 16-bit image counting each pixel twice) are refused
// from their header, before anything is decoded.
inline constexpr long long VC_MAX_IMAGE_PIXELS = 1LL << 26;

int vcCreateImage(VCcontext* ctx, const char* filename, int imageFlags);
int vcCreateImageMem(VCcontext* ctx, int imageFlags, const unsigned char* data, int ndata);
// From `width` x `height` RGBA pixels that the caller keeps.
int vcCreateImageRGBA(VCcontext* ctx, int width, int height, int imageFlags, const unsigned char* data);
// Replaces the whole image from `data`.
void vcUpdateImage(VCcontext* ctx, int image, const unsigned char* data);
void vcImageSize(VCcontext* ctx, int image, int* width, int* height);
void vcDeleteImage(VCcontext* ctx, int image);

// Why the last decoding failed ("can't fopen" for a file that cannot be
// opened), or null when none has.
const char* vcImageFailureReason();
