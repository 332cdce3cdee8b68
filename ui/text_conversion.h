#pragma once

#include <QString>

#include "text/text.h"

namespace board {

// Texts are code page 936 bytes; Qt shows and edits UTF-16. These two are the
// only crossing points between the two.
QString TextToQString(const Text& text);
Text QStringToText(const QString& string);

}  // namespace board
