#pragma once

// Reading and writing UTF-16 units held low byte first in a ByteSeq.

#include <cstddef>

#include "text/byte_seq.h"

namespace board::utf16 {

inline constexpr unsigned kReplacement = 0xFFFD;

inline unsigned UnitAt(const ByteSeq& units, std::size_t index) {
  const unsigned char* bytes = units.Data() + 2 * index;
  return bytes[0] | (unsigned{bytes[1]} << 8);
}

// The number of units before the first zero unit (all whole units when there
// is none; an odd last byte is not a unit).
inline std::size_t CountUpToZero(const ByteSeq& units) {
  const std::size_t whole = units.Size() / 2;
  for (std::size_t i = 0; i < whole; ++i) {
    if (UnitAt(units, i) == 0) return i;
  }
  return whole;
}

inline bool IsHighSurrogate(unsigned unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(unsigned unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

inline void AppendUnit(ByteSeq& units, unsigned unit) {
  const char bytes[2] = {static_cast<char>(unit & 0xFF),
                         static_cast<char>((unit >> 8) & 0xFF)};
  units.Append(std::string_view(bytes, 2));
}

// One unit below U+10000, a surrogate pair above.
inline void AppendCodePoint(ByteSeq& units, unsigned codePoint) {
  if (codePoint < 0x10000) {
    AppendUnit(units, codePoint);
    return;
  }
  const unsigned offset = codePoint - 0x10000;
  AppendUnit(units, 0xD800 + (offset >> 10));
  AppendUnit(units, 0xDC00 + (offset & 0x3FF));
}

}  // namespace board::utf16
