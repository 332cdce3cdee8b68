#include "tests/ui/pictures/png_builder.h"

#include <zlib.h>

namespace board::testing {
namespace {

void AppendBigEndian(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

std::uint32_t ReadBigEndian(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

std::uint32_t Checksum(std::string_view bytes) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()),
            static_cast<uInt>(bytes.size())));
}

}  // namespace

std::string Chunk(std::string_view type, std::string_view data) {
  std::string chunk;
  AppendBigEndian(chunk, static_cast<std::uint32_t>(data.size()));
  std::string body(type);
  body.append(data);
  chunk.append(body);
  AppendBigEndian(chunk, Checksum(body));
  return chunk;
}

std::string HeaderData(std::uint32_t width, std::uint32_t height,
                       std::uint8_t bit_depth, PngColour colour,
                       bool interlaced) {
  std::string data;
  AppendBigEndian(data, width);
  AppendBigEndian(data, height);
  data.push_back(static_cast<char>(bit_depth));
  data.push_back(static_cast<char>(colour));
  data.append(2, '\0');  // deflate, adaptive filtering
  data.push_back(interlaced ? '\1' : '\0');
  return data;
}

std::string Compress(std::string_view raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::string out(size, '\0');
  compress(reinterpret_cast<Bytef*>(out.data()), &size,
           reinterpret_cast<const Bytef*>(raw.data()),
           static_cast<uLong>(raw.size()));
  out.resize(size);
  return out;
}

ByteSeq BuildPng(const PngSpec& layout) {
  std::string png(kSignature);
  png += Chunk("IHDR", HeaderData(layout.width, layout.height, layout.bit_depth,
                                  layout.colour, layout.interlaced));
  if (!layout.palette.empty()) {
    png += Chunk("PLTE", layout.palette);
  }
  if (!layout.transparency.empty()) {
    png += Chunk("tRNS", layout.transparency);
  }
  std::string raw;
  for (const std::string& row : layout.rows) {
    raw += row;
  }
  png += Chunk("IDAT", Compress(raw));
  png += Chunk("IEND", "");
  return ByteSeq(png);
}

void RepairChecksums(std::string& png) {
  std::size_t at = kSignature.size();
  while (at + 12 <= png.size()) {
    const std::uint64_t length = ReadBigEndian(png, at);
    if (length > png.size() - at - 12) {
      return;
    }
    const std::size_t crc_at = at + 8 + length;
    const std::uint32_t crc =
        Checksum(std::string_view(png).substr(at + 4, length + 4));
    for (std::size_t i = 0; i < 4; ++i) {
      png[crc_at + i] = static_cast<char>((crc >> (24 - 8 * i)) & 0xFF);
    }
    at = crc_at + 4;
  }
}

std::size_t FindChunk(std::string_view png, std::string_view type) {
  std::size_t at = kSignature.size();
  while (at + 12 <= png.size()) {
    const std::uint64_t length = ReadBigEndian(png, at);
    if (png.substr(at + 4, 4) == type) {
      return at;
    }
    if (length > png.size() - at - 12) {
      break;
    }
    at += 12 + length;
  }
  return std::string_view::npos;
}

}  // namespace board::testing
