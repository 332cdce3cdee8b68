#include "ui/pictures/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstring>

namespace board {
namespace {

// Deflate cannot expand data by more than about 1032 to 1, so a header that
// claims more pixel data than that allows from the whole file is a lie, and
// believing it would only make the decoder allocate for nothing.
constexpr std::uint64_t kMaxInflateRatio = 1032;
constexpr std::uint64_t kInflateSlack = 4096;

struct MemorySource {
  const unsigned char* data;
  std::size_t size;
  std::size_t offset;
};

void ReadFromMemory(png_structp png, png_bytep out, std::size_t count) {
  auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
  if (count > source->size - source->offset) {
    png_error(png, "truncated");
  }
  std::memcpy(out, source->data + source->offset, count);
  source->offset += count;
}

// libpng would print errors and warnings; a picture that fails to decode is
// an ordinary result here, so both stay silent.
[[noreturn]] void OnPngError(png_structp png, png_const_charp /*message*/) {
  png_longjmp(png, 1);
}
void OnPngWarning(png_structp /*png*/, png_const_charp /*message*/) {}

// Owns libpng's read and info structures.
class PngReadStruct {
 public:
  PngReadStruct()
      : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError,
                                    OnPngWarning)),
        info_(png_ != nullptr ? png_create_info_struct(png_) : nullptr) {}
  ~PngReadStruct() {
    png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr,
                            nullptr);
  }
  PngReadStruct(const PngReadStruct&) = delete;
  PngReadStruct& operator=(const PngReadStruct&) = delete;

  bool IsValid() const { return png_ != nullptr && info_ != nullptr; }
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  png_structp png_;
  png_infop info_;
};

using PngStep = void (*)(png_structp png, png_infop info, png_bytepp rows);

// Runs one step of libpng work. libpng leaves a failing step by longjmp back
// to this frame, skipping the rest of the step. No object with a destructor
// lives in this frame or in the steps, so nothing is skipped that must run;
// everything that owns memory lives in the caller.
bool RunGuarded(PngStep step, png_structp png, png_infop info,
                png_bytepp rows) {
  if (setjmp(png_jmpbuf(png)) != 0) {
    return false;
  }
  step(png, info, rows);
  return true;
}

void ReadHeader(png_structp png, png_infop info, png_bytepp /*rows*/) {
  png_read_info(png, info);
}

// Whatever the file holds becomes 8-bit RGBA, non-interlaced.
void ExpandToRgba(png_structp png, png_infop info, png_bytepp /*rows*/) {
  const int colour_type = png_get_color_type(png, info);
  png_set_scale_16(png);
  png_set_packing(png);
  if (colour_type == PNG_COLOR_TYPE_PALETTE) {
    png_set_palette_to_rgb(png);
  }
  if (colour_type == PNG_COLOR_TYPE_GRAY) {
    png_set_expand_gray_1_2_4_to_8(png);
  }
  if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
    png_set_tRNS_to_alpha(png);
  }
  if ((colour_type & PNG_COLOR_MASK_COLOR) == 0) {
    png_set_gray_to_rgb(png);
  }
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
}

void ReadPixels(png_structp png, png_infop /*info*/, png_bytepp rows) {
  png_read_image(png, rows);
  png_read_end(png, nullptr);
}

bool IsPlausibleSize(png_structp png, png_infop info, std::size_t file_size) {
  const std::uint64_t height = png_get_image_height(png, info);
  const std::uint64_t stored = height * (png_get_rowbytes(png, info) + 1);
  return stored <= kMaxInflateRatio * file_size + kInflateSlack;
}

// Where libpng is to put each row of the image, which is sized already.
std::vector<png_bytep> RowPointers(RgbaImage& image) {
  const std::size_t row_bytes = static_cast<std::size_t>(image.width) * 4;
  std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
  for (std::size_t row = 0; row < rows.size(); ++row) {
    rows[row] = image.pixels.data() + row * row_bytes;
  }
  return rows;
}

std::optional<RgbaImage> DecodeToRgba(const ByteSeq& png) {
  PngReadStruct reader;
  if (!reader.IsValid()) {
    return std::nullopt;
  }
  MemorySource source{png.Data(), png.Size(), 0};
  png_set_read_fn(reader.png(), &source, ReadFromMemory);
  png_set_user_limits(reader.png(), kMaxPictureSide, kMaxPictureSide);
  if (!RunGuarded(ReadHeader, reader.png(), reader.info(), nullptr) ||
      !IsPlausibleSize(reader.png(), reader.info(), png.Size()) ||
      !RunGuarded(ExpandToRgba, reader.png(), reader.info(), nullptr)) {
    return std::nullopt;
  }
  RgbaImage image;
  image.width =
      static_cast<int>(png_get_image_width(reader.png(), reader.info()));
  image.height =
      static_cast<int>(png_get_image_height(reader.png(), reader.info()));
  const std::size_t row_bytes = static_cast<std::size_t>(image.width) * 4;
  if (png_get_rowbytes(reader.png(), reader.info()) != row_bytes) {
    return std::nullopt;
  }
  image.pixels.resize(row_bytes * static_cast<std::size_t>(image.height));
  std::vector<png_bytep> rows = RowPointers(image);
  if (!RunGuarded(ReadPixels, reader.png(), reader.info(), rows.data())) {
    return std::nullopt;
  }
  return image;
}

unsigned char OverBlack(unsigned char sample, unsigned char alpha) {
  return static_cast<unsigned char>((sample * alpha + 127) / 255);
}

RgbImage CompositeOntoBlack(const RgbaImage& rgba) {
  RgbImage rgb{rgba.width, rgba.height, {}};
  rgb.pixels.reserve(rgba.pixels.size() / 4 * 3);
  for (std::size_t at = 0; at + 3 < rgba.pixels.size(); at += 4) {
    const unsigned char alpha = rgba.pixels[at + 3];
    for (std::size_t channel = 0; channel < 3; ++channel) {
      rgb.pixels.push_back(OverBlack(rgba.pixels[at + channel], alpha));
    }
  }
  return rgb;
}

}  // namespace

std::optional<RgbImage> DecodePng(const ByteSeq& png) {
  std::optional<RgbaImage> rgba = DecodeToRgba(png);
  if (!rgba) {
    return std::nullopt;
  }
  return CompositeOntoBlack(*rgba);
}

std::optional<RgbaImage> DecodePngWithAlpha(const ByteSeq& png) {
  return DecodeToRgba(png);
}

}  // namespace board
