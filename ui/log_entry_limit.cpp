#include "ui/log_entry_limit.h"

#include <string_view>

namespace board {
namespace {

constexpr std::string_view kCutMark = "\xA1\xAD";  // …
constexpr std::string_view kLineEnd = "\r\n";

// How many of the first maxBytes bytes can be kept without cutting a
// double-byte character in two.
int KeptPrefix(std::string_view bytes, int maxBytes) {
  int kept = 0;
  while (kept < maxBytes) {
    const int step = static_cast<unsigned char>(bytes[kept]) >= 0x80 ? 2 : 1;
    if (kept + step > maxBytes) break;
    kept += step;
  }
  return kept;
}

}  // namespace

Text LimitShownLength(const Text& text, int maxBytes) {
  if (maxBytes < 1 || text.Length() <= maxBytes) return text;
  const std::string_view bytes = text.View();
  Text shown;
  shown.Reserve(maxBytes + static_cast<int>(kCutMark.size() + kLineEnd.size()));
  shown.Append(bytes.substr(0, KeptPrefix(bytes, maxBytes)));
  shown.Append(kCutMark);
  if (bytes.ends_with(kLineEnd)) shown.Append(kLineEnd);
  return shown;
}

}  // namespace board
