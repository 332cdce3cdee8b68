#include "ui/log_line_limit.h"

#include <string_view>

namespace board {
namespace {

constexpr std::string_view kCutMark = "\xA1\xAD";  // …

bool IsLineEnd(unsigned char byte) { return byte == '\r' || byte == '\n'; }

// Length of the line starting at offset, up to (not including) its line end.
int LineLength(std::string_view bytes, int offset) {
  int end = offset;
  while (end < static_cast<int>(bytes.size()) &&
         !IsLineEnd(static_cast<unsigned char>(bytes[end]))) {
    ++end;
  }
  return end - offset;
}

// How many of the first maxBytes bytes of line can be kept without cutting a
// double-byte character in two.
int KeptPrefix(std::string_view line, int maxBytes) {
  int kept = 0;
  while (kept < maxBytes) {
    const int step = static_cast<unsigned char>(line[kept]) >= 0x80 ? 2 : 1;
    if (kept + step > maxBytes) break;
    kept += step;
  }
  return kept;
}

}  // namespace

Text LimitLineLengths(const Text& text, int maxBytes) {
  const std::string_view bytes = text.View();
  if (maxBytes < 1 || text.Length() <= maxBytes) return text;
  Text shown;
  int offset = 0;
  while (offset < static_cast<int>(bytes.size())) {
    const int length = LineLength(bytes, offset);
    const std::string_view line = bytes.substr(offset, length);
    if (length > maxBytes) {
      shown.Append(line.substr(0, KeptPrefix(line, maxBytes)));
      shown.Append(kCutMark);
    } else {
      shown.Append(line);
    }
    offset += length;
    // Line ends are copied one at a time, so "\r\n" stays one pair.
    while (offset < static_cast<int>(bytes.size()) &&
           IsLineEnd(static_cast<unsigned char>(bytes[offset]))) {
      shown.Append(bytes.substr(offset, 1));
      ++offset;
    }
  }
  return shown;
}

}  // namespace board
