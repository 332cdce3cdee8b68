#pragma once

// Taking the published value out of a request line and decoding it.

#include <optional>

#include "text/byte_seq.h"
#include "text/text.h"

namespace board {

// The bytes of source strictly between the first startMarker (at or after
// startPosition) and the next endMarker; "#引号" in a marker stands for '"'.
Text ExtractBetween(const Text& source, const Text& startMarker,
                    const Text& endMarker,
                    std::optional<int> startPosition = std::nullopt,
                    std::optional<bool> ignoreCase = std::nullopt);
// Decodes every "%" with the two bytes after it (a byte that is no hex digit
// counts as -2, a missing one as 0; a zero code adds nothing); with fromUtf8,
// the result is then read as UTF-8 and written in code page 936.
Text PercentDecode(const Text& encoded,
                   std::optional<bool> fromUtf8 = std::nullopt);
// text read as UTF-8 and written in code page 936.
Text Utf8ToCp936(const Text& text);

// The conversions between Text and UTF-16 units, which are held low byte
// first in a ByteSeq. Code page 65001 is UTF-8; 936, 0 (the system's ANSI code
// page) and any other number are code page 936. Nothing is ever cut: the
// result is as long as the conversion needs.
//
// TextToUtf16 gives the units of text followed by one zero unit. Reading
// UTF-8, each maximal ill-formed subsequence becomes one U+FFFD; reading code
// page 936, each byte or pair of bytes that the code page does not define
// becomes one U+FFFD (a lead byte 81..FE with a byte of the trail range
// 40..FE after it counts as one pair).
ByteSeq TextToUtf16(const Text& text,
                    std::optional<int> codePage = std::nullopt);
// Utf16ToText reads the units up to the first zero unit (an odd last byte is
// ignored). Writing code page 936, a character that it lacks becomes one "?"
// per unit ("??" for a character beyond U+FFFF, "?" for an unpaired
// surrogate); writing UTF-8, an unpaired surrogate becomes U+FFFD.
Text Utf16ToText(const ByteSeq& units,
                 std::optional<int> codePage = std::nullopt);

}  // namespace board
