#pragma once

#include <optional>
#include <vector>

#include "text/byte_seq.h"

namespace board {

// Opaque pixels: 3 bytes (red, green, blue) per pixel, rows top to bottom,
// no padding between rows.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;
};

// Pixels with straight (not premultiplied) alpha: 4 bytes (red, green, blue,
// alpha) per pixel, rows top to bottom, no padding between rows.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> pixels;
};

// Neither side of a decodable picture may exceed this many pixels.
inline constexpr int kMaxPictureSide = 16384;

// Decodes a whole PNG file held in memory into 8-bit RGB. Every colour type
// and bit depth is accepted: palette and grey are expanded, 16-bit samples
// are scaled to 8 bits, and alpha (an alpha channel or a tRNS chunk) is
// composited onto black. Gamma and colour-space chunks are ignored; the
// samples are taken as they are stored.
//
// Returns nullopt for anything that is not one complete, valid PNG image:
// empty or truncated input, a bad signature or checksum, corrupt compressed
// data, a missing end chunk, or a side larger than kMaxPictureSide.
std::optional<RgbImage> DecodePng(const ByteSeq& png);

// As DecodePng, but keeps the alpha: pictures without alpha come out opaque
// (alpha 255), and a tRNS chunk becomes alpha.
std::optional<RgbaImage> DecodePngWithAlpha(const ByteSeq& png);

}  // namespace board
