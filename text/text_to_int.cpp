#include <cstdint>

#include "text/text_operations.h"
#include "text/text_walk.h"

namespace board {
namespace {

using text_walk::IsCutLeadByte;
using text_walk::IsLeadByte;

// The one-byte stand-in for a full-width form, or 0 when the two-byte
// character has none.
unsigned char HalfWidthOf(unsigned char lead, unsigned char trail) {
  if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return trail - 0x80;
  if (lead != 0xA1) return 0;
  if (trail == 0xA1) return ' ';  // ideographic space
  if (trail == 0xAB) return '~';
  if (trail == 0xEE || trail == 0xEF) return '*';
  return 0;
}

// t with full-width digits, signs, letters and spaces folded to ASCII, so that
// a number typed with a Chinese input method reads like a plain one.
Text FoldFullWidth(const Text& t) {
  Text folded;
  folded.Reserve(t.Length());
  for (int s = 0; s < t.Length();) {
    const unsigned char lead = t.ByteAt(s);
    if (!IsLeadByte(lead)) {
      text_walk::AppendSpan(folded, t, s, 1);
      s += 1;
      continue;
    }
    if (IsCutLeadByte(t, s)) break;  // a lone lead byte at the end is dropped
    const char half = static_cast<char>(HalfWidthOf(lead, t.ByteAt(s + 1)));
    if (half != 0) {
      folded.Append(std::string_view(&half, 1));
    } else {
      text_walk::AppendSpan(folded, t, s, 2);
    }
    s += 2;
  }
  return folded;
}

bool IsParseSpace(unsigned char byte) {
  return (byte >= 0x09 && byte <= 0x0D) || byte == ' ';
}

}  // namespace

int TextToInt(const Text& t) {
  const Text folded = FoldFullWidth(t);
  int s = 0;
  while (IsParseSpace(folded.ByteAt(s))) ++s;
  const bool negative = folded.ByteAt(s) == '-';
  if (negative || folded.ByteAt(s) == '+') ++s;
  // Unsigned arithmetic wraps modulo 2^32 where a signed one would overflow.
  std::uint32_t value = 0;
  for (unsigned char digit = folded.ByteAt(s); digit >= '0' && digit <= '9';
       digit = folded.ByteAt(++s)) {
    value = value * 10u + static_cast<std::uint32_t>(digit - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);  // two's complement since C++20
}

}  // namespace board
