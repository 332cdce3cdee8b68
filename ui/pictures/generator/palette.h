#pragma once

#include <QColor>

namespace board::palette {

// The colours the window's look is built from. The line, outline, tab and
// button-state colours are fixed by the window's design; the icon colours
// are free.
inline const QColor kBlack{0x00, 0x00, 0x00};
inline const QColor kWhite{0xFF, 0xFF, 0xFF};
inline const QColor kBottomLine{0x47, 0x4A, 0x50};
inline const QColor kOutline{0x60, 0x67, 0x75};
inline const QColor kNoticeBar{0xFE, 0xFE, 0xFE};
inline const QColor kTabOnFace{0xDF, 0xE7, 0xFA};
inline const QColor kTabOnText{0x3D, 0x75, 0xFA};
inline const QColor kTabOffFace{0x08, 0x10, 0x23};
inline const QColor kHover{0xB8, 0xC0, 0xD1};
inline const QColor kPressed{0xF5, 0xE2, 0x21};
inline const QColor kIconBlue{0x1F, 0x5B, 0xD8};
inline const QColor kIconDeepBlue{0x0E, 0x2A, 0x7A};
inline const QColor kIconRed{0xD8, 0x2B, 0x2B};

}  // namespace board::palette
