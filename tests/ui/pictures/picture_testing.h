#pragma once

#include <cstdint>
#include <optional>

#include "ui/pictures/png_decoder.h"

namespace board::testing {

// A pixel as 0xRRGGBB, which reads like the colours of the design.
inline std::uint32_t ColourAt(const RgbImage& image, int x, int y) {
  const auto at = (static_cast<std::size_t>(y) * image.width + x) * 3;
  return (std::uint32_t{image.pixels[at]} << 16) |
         (std::uint32_t{image.pixels[at + 1]} << 8) | image.pixels[at + 2];
}

inline constexpr std::uint32_t kBlack = 0x000000;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;

}  // namespace board::testing
