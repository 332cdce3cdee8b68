#pragma once

// Code page 936 to and from UTF-16 through the platform's converter, with the
// replacements that the original platform made where a conversion fails.

#include <cstddef>
#include <string_view>

#include "text/byte_seq.h"

namespace board {

// Appends the UTF-16 units of bytes read in code page 936. A byte sequence
// that the code page does not define becomes one U+FFFD: a lead byte with a
// byte of the trail range after it counts as one character, any other
// refused byte as one of its own.
void AppendCp936AsUtf16(std::string_view bytes, ByteSeq& units);

// Appends the code page 936 form of the first count units. A character the
// code page lacks becomes one "?" per UTF-16 unit it takes ("??" for a
// surrogate pair); an unpaired surrogate becomes "?".
void AppendUtf16AsCp936(const ByteSeq& units, std::size_t count, ByteSeq& out);

}  // namespace board
