#pragma once

// Shared by the searching, splitting, replacing and case-folding operations:
// the one rule by which a Text is walked a character at a time, and the span
// comparison tried at each character start. Internal to text/.

#include <optional>

#include "text/text.h"

namespace board::text_walk {

// A byte of 0x80 or above leads a two-byte character, whatever follows it.
inline bool IsLeadByte(unsigned char byte) { return byte >= 0x80; }

// True when the character at offset is a lead byte with only the terminating
// zero after it: such a byte ends every walk.
inline bool IsCutLeadByte(const Text& t, int offset) {
  return IsLeadByte(t.ByteAt(offset)) && t.ByteAt(offset + 1) == 0;
}

// Bytes of the character that starts at offset (1 or 2); a lead byte counts
// two even when the walk must end on it.
inline int CharacterWidth(const Text& t, int offset) {
  return IsLeadByte(t.ByteAt(offset)) ? 2 : 1;
}

inline unsigned char LowerAsciiByte(unsigned char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + 0x20)
                                    : byte;
}

// Compares sought with the bytes of t at offset; the caller guarantees that
// t holds at least sought.Length() bytes from there. Ignoring case lowers A to
// Z in every byte of both spans, second bytes of characters included.
inline bool SpanMatches(const Text& t, int offset, const Text& sought,
                        bool ignoreCase) {
  for (int i = 0; i < sought.Length(); ++i) {
    unsigned char have = t.ByteAt(offset + i);
    unsigned char want = sought.ByteAt(i);
    if (ignoreCase) {
      have = LowerAsciiByte(have);
      want = LowerAsciiByte(want);
    }
    if (have != want) return false;
  }
  return true;
}

// The 0-based offset a 1-based optional start position points at: a start
// left out, or of 1 or less, means the first byte.
inline int StartOffset(std::optional<int> start) {
  return start.has_value() && *start > 1 ? *start - 1 : 0;
}

// Appends the bytes [from, from + n) of t to out.
inline void AppendSpan(Text& out, const Text& t, int from, int n) {
  out.Append(t.View().substr(static_cast<std::size_t>(from),
                             static_cast<std::size_t>(n)));
}

}  // namespace board::text_walk
