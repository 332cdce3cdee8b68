#pragma once

#include <QImage>

#include "text/byte_seq.h"

namespace board {

// Decodes PNG bytes held in memory into an 8-bit RGB image; a null QImage
// when the bytes are not a PNG image.
QImage PngToQImage(const ByteSeq& png);

// The same with the alpha channel kept, for the program's icon.
QImage PngToQImageWithAlpha(const ByteSeq& png);

}  // namespace board
