#include "ui/png_to_qimage.h"

#include "ui/pictures/png_decoder.h"

namespace board {
namespace {

// QImage wraps the decoder's pixels without copying; copy() detaches it from
// the vector before that goes away.
QImage CopyPixels(int width, int height,
                  const std::vector<unsigned char>& pixels, int bytesPerPixel,
                  QImage::Format format) {
  const qsizetype needed =
      static_cast<qsizetype>(width) * height * bytesPerPixel;
  if (width <= 0 || height <= 0 ||
      static_cast<qsizetype>(pixels.size()) < needed) {
    return {};
  }
  const QImage wrapped(pixels.data(), width, height, width * bytesPerPixel,
                       format);
  return wrapped.copy();
}

}  // namespace

QImage PngToQImage(const ByteSeq& png) {
  const std::optional<RgbImage> image = DecodePng(png);
  if (!image) return {};
  return CopyPixels(image->width, image->height, image->pixels, 3,
                    QImage::Format_RGB888);
}

QImage PngToQImageWithAlpha(const ByteSeq& png) {
  const std::optional<RgbaImage> image = DecodePngWithAlpha(png);
  if (!image) return {};
  return CopyPixels(image->width, image->height, image->pixels, 4,
                    QImage::Format_RGBA8888);
}

}  // namespace board
