#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/byte_seq.h"

namespace board::testing {

// PNG colour types, as stored in the header chunk.
enum PngColour : std::uint8_t {
  kGrey = 0,
  kRgb = 2,
  kPalette = 3,
  kGreyAlpha = 4,
  kRgba = 6,
};

// A PNG file written chunk by chunk, so that tests can make valid files of
// every colour type and depth as well as broken ones.
struct PngSpec {
  std::uint32_t width = 1;
  std::uint32_t height = 1;
  std::uint8_t bit_depth = 8;
  PngColour colour = kRgb;
  // Each row: the filter byte followed by the packed samples.
  std::vector<std::string> rows;
  std::string palette;       // PLTE data, 3 bytes per entry
  std::string transparency;  // tRNS data; none when empty
  bool interlaced = false;   // Adam7: rows are given pass by pass
};

// A chunk with its length and checksum.
std::string Chunk(std::string_view type, std::string_view data);

std::string HeaderData(std::uint32_t width, std::uint32_t height,
                       std::uint8_t bit_depth, PngColour colour,
                       bool interlaced = false);

std::string Compress(std::string_view raw);

ByteSeq BuildPng(const PngSpec& layout);

// Writes the right checksum into every chunk, so that damage elsewhere in a
// file gets past the checksum test and reaches the decoder proper.
void RepairChecksums(std::string& png);

// The first byte of the chunk of the given type, or npos.
std::size_t FindChunk(std::string_view png, std::string_view type);

inline constexpr std::string_view kSignature{"\x89PNG\r\n\x1a\n", 8};

}  // namespace board::testing
