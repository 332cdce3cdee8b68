#pragma once

// UTF-8 to and from UTF-16, done here rather than by the platform because the
// platform converter only reports malformed input as an error, while the
// program must replace it the way the original platform did.

#include <cstddef>
#include <string_view>

#include "text/byte_seq.h"

namespace board {

// Appends the UTF-16 units of bytes read as UTF-8. Each maximal ill-formed
// subsequence (a stray or impossible byte, or a start of a sequence cut short)
// becomes one U+FFFD; overlong forms and encoded surrogates are ill-formed.
void AppendUtf8AsUtf16(std::string_view bytes, ByteSeq& units);

// Appends the UTF-8 form of the first count units; an unpaired surrogate
// becomes U+FFFD.
void AppendUtf16AsUtf8(const ByteSeq& units, std::size_t count, ByteSeq& out);

}  // namespace board
