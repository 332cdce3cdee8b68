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
Text PercentDecode(const Text& encoded,
                   std::optional<bool> fromUtf8 = std::nullopt);
Text Utf8ToCp936(const Text& text);
// UTF-16 units, low byte first, ended by one zero unit. Code page 65001 is
// UTF-8, 936 and 0 (the system's ANSI code page) are code page 936.
ByteSeq TextToUtf16(const Text& text,
                    std::optional<int> codePage = std::nullopt);
Text Utf16ToText(const ByteSeq& units,
                 std::optional<int> codePage = std::nullopt);

}  // namespace board
