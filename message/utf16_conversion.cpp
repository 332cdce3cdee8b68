#include "message/cp936_codec.h"
#include "message/query_value.h"
#include "message/utf16_units.h"
#include "message/utf8_codec.h"

namespace board {
namespace {

constexpr int kUtf8CodePage = 65001;

}  // namespace

// The result is sized for what the conversion needs, so no input is ever cut
// short. Code pages other than 65001 are read as code page 936, the one
// code page a Text is ever in.
ByteSeq TextToUtf16(const Text& text, std::optional<int> codePage) {
  ByteSeq units;
  if (codePage.value_or(kUtf8CodePage) == kUtf8CodePage) {
    AppendUtf8AsUtf16(text.View(), units);
  } else {
    AppendCp936AsUtf16(text.View(), units);
  }
  utf16::AppendUnit(units, 0);
  return units;
}

// Reads up to the first zero unit. The code page left out means code page
// 936, the system's code page; 65001 writes UTF-8.
Text Utf16ToText(const ByteSeq& units, std::optional<int> codePage) {
  const std::size_t count = utf16::CountUpToZero(units);
  ByteSeq bytes;
  if (codePage.value_or(0) == kUtf8CodePage) {
    AppendUtf16AsUtf8(units, count, bytes);
  } else {
    AppendUtf16AsCp936(units, count, bytes);
  }
  return Text(bytes.View());
}

}  // namespace board
