#pragma once

#include "text/byte_seq.h"

namespace board {

// The window's pictures as PNG files, built into the program. All but the
// icon are opaque 8-bit RGB; ProgramIcon is 256 x 256 RGBA. Each returns the
// same bytes for the life of the process.
const ByteSeq& BackgroundPicture();       // 360 x 640
const ByteSeq& NoticeBarPicture();        // 300 x 30
const ByteSeq& ApiTabOnPicture();         // 120 x 30, page header selected
const ByteSeq& ApiTabOffPicture();        // 120 x 30, page header unselected
const ByteSeq& LogTabOnPicture();         // 120 x 30
const ByteSeq& LogTabOffPicture();        // 120 x 30
const ByteSeq& CloseNormalPicture();      // 30 x 30
const ByteSeq& CloseHoverPicture();       // 30 x 30
const ByteSeq& ClosePressedPicture();     // 30 x 30
const ByteSeq& MinimizeNormalPicture();   // 30 x 30
const ByteSeq& MinimizeHoverPicture();    // 30 x 30
const ByteSeq& MinimizePressedPicture();  // 30 x 30
const ByteSeq& ProgramIcon();             // 256 x 256, with alpha

}  // namespace board
