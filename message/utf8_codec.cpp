#include "message/utf8_codec.h"

#include "message/utf16_units.h"

namespace board {
namespace {

struct SequenceStart {
  int continuations;   // bytes that must follow the lead byte
  unsigned value;      // the lead byte's payload bits
  unsigned char low;   // range of the first continuation byte, which is
  unsigned char high;  // narrowed to exclude overlong forms and surrogates
};

// Whether lead can start a sequence, and how; false for 80..C1 and F5..FF.
bool StartOf(unsigned char lead, SequenceStart& start) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    start = {1, lead & 0x1Fu, 0x80, 0xBF};
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    start = {2, lead & 0x0Fu,
             static_cast<unsigned char>(lead == 0xE0 ? 0xA0 : 0x80),
             static_cast<unsigned char>(lead == 0xED ? 0x9F : 0xBF)};
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    start = {3, lead & 0x07u,
             static_cast<unsigned char>(lead == 0xF0 ? 0x90 : 0x80),
             static_cast<unsigned char>(lead == 0xF4 ? 0x8F : 0xBF)};
  } else {
    return false;
  }
  return true;
}

// Decodes the sequence at bytes[i]; returns the index after what it consumed
// and sets codePoint, U+FFFD for a maximal ill-formed subsequence.
std::size_t DecodeAt(std::string_view bytes, std::size_t i,
                     unsigned& codePoint) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  SequenceStart start{};
  if (!StartOf(lead, start)) {
    codePoint = utf16::kReplacement;
    return i + 1;
  }
  unsigned value = start.value;
  unsigned char low = start.low;
  unsigned char high = start.high;
  std::size_t next = i + 1;
  for (int k = 0; k < start.continuations; ++k, ++next) {
    const auto byte =
        next < bytes.size() ? static_cast<unsigned char>(bytes[next]) : 0;
    if (next >= bytes.size() || byte < low || byte > high) {
      codePoint = utf16::kReplacement;
      return next;  // the byte that broke the sequence starts the next one
    }
    value = (value << 6) | (byte & 0x3Fu);
    low = 0x80;
    high = 0xBF;
  }
  codePoint = value;
  return next;
}

}  // namespace

void AppendUtf8AsUtf16(std::string_view bytes, ByteSeq& units) {
  units.Reserve(units.Size() + 2 * bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      utf16::AppendUnit(units, byte);
      ++i;
      continue;
    }
    unsigned codePoint = 0;
    i = DecodeAt(bytes, i, codePoint);
    utf16::AppendCodePoint(units, codePoint);
  }
}

namespace {

void AppendUtf8Of(unsigned codePoint, ByteSeq& out) {
  char bytes[4];
  std::size_t size = 0;
  if (codePoint < 0x80) {
    bytes[size++] = static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    bytes[size++] = static_cast<char>(0xC0 | (codePoint >> 6));
    bytes[size++] = static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    bytes[size++] = static_cast<char>(0xE0 | (codePoint >> 12));
    bytes[size++] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    bytes[size++] = static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    bytes[size++] = static_cast<char>(0xF0 | (codePoint >> 18));
    bytes[size++] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    bytes[size++] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    bytes[size++] = static_cast<char>(0x80 | (codePoint & 0x3F));
  }
  out.Append(std::string_view(bytes, size));
}

}  // namespace

void AppendUtf16AsUtf8(const ByteSeq& units, std::size_t count, ByteSeq& out) {
  std::size_t i = 0;
  while (i < count) {
    const unsigned unit = utf16::UnitAt(units, i++);
    unsigned codePoint = unit;
    if (utf16::IsHighSurrogate(unit) && i < count &&
        utf16::IsLowSurrogate(utf16::UnitAt(units, i))) {
      codePoint = 0x10000 + ((unit - 0xD800) << 10) +
                  (utf16::UnitAt(units, i++) - 0xDC00);
    } else if (utf16::IsHighSurrogate(unit) || utf16::IsLowSurrogate(unit)) {
      codePoint = utf16::kReplacement;
    }
    AppendUtf8Of(codePoint, out);
  }
}

}  // namespace board
