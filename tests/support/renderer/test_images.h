#pragma once

#include <cstddef>
#include <vector>

#include "tests/support/renderer/test_fonts.h"

// Encoded images for tests and fuzz seeds: small PNG and JPEG files made in
// memory, the interlaced and iPhone-optimised PNG variants, headers of images
// too large to decode and image data inflating far beyond its header.
namespace orvane::testing {

struct RgbaImage {
  int width = 0;
  int height = 0;
  Bytes rgba;  // straight alpha, rows top to bottom
};

// Pixels that differ in every channel, with alphas from opaque to clear.
RgbaImage TestPattern(int width, int height);

// An 8-bit RGBA PNG.
Bytes EncodePng(const RgbaImage& image);
// The same PNG interlaced (seven passes).
Bytes EncodeInterlacedPng(const RgbaImage& image);
// The iPhone-optimised form of the same PNG: a CgBI chunk first, premultiplied
// BGRA pixels, the image data as a raw deflate stream.
Bytes EncodeIphonePng(const RgbaImage& image);
Bytes EncodeJpeg(const RgbaImage& image, int quality);
// The JPEG with its first Huffman table claiming more than 256 codes.
Bytes WithOversizedHuffmanTable(Bytes jpeg);
// The JPEG with its scan drawing the colour components with Huffman tables
// the file does not define.
Bytes WithUndefinedHuffmanTables(Bytes jpeg);
// The PNG with an empty image-data chunk before its first one.
Bytes WithEmptyFirstImageData(const Bytes& png);
// A PNG whose header claims an RGBA image of this size and bit depth (8 or
// 16) but whose image data is a few zero bytes.
Bytes PngClaiming(int width, int height, int bitDepth);
// A PNG whose header claims an RGBA image of 1 x 1 pixels but whose image data
// inflates to `inflatedBytes` zeros.
Bytes DecompressionBomb(std::size_t inflatedBytes);

}  // namespace orvane::testing
