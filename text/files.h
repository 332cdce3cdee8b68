#pragma once

// Whole-file reading and writing. A path is a Text in code page 936; it is
// converted to the operating system's file name and otherwise used as given.

#include <initializer_list>

#include "text/byte_seq.h"
#include "text/text.h"

namespace board {

// All bytes of the file, or the empty ByteSeq when it is missing, unreadable
// or empty.
ByteSeq ReadWholeFile(const Text& path);

// Replaces the file with the parts, in order. The old file stays exactly as it
// was unless every part was written; true means the file now holds exactly the
// parts.
bool WriteWholeFile(const Text& path, std::initializer_list<ByteSeq> parts);

}  // namespace board
