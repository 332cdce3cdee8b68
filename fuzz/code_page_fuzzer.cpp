// Arbitrary bytes through the conversions the window shows every text with:
// as code page 936 and UTF-8 text, and as UTF-16 units.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "message/query_value.h"

namespace {

void CheckUnits(const board::ByteSeq& units, const board::Text& text) {
  FUZZ_CHECK(units.Size() % 2 == 0);
  FUZZ_CHECK(units.Size() >= 2);
  FUZZ_CHECK(units.View().substr(units.Size() - 2) ==
             std::string_view("\0\0", 2));
  // No input byte gives more than one unit.
  FUZZ_CHECK(units.Size() <= 2 * static_cast<std::size_t>(text.Length()) + 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const board::Text text(bytes);

  const board::ByteSeq fromCp936 = board::TextToUtf16(text, 936);
  CheckUnits(fromCp936, text);
  // Whatever was read comes back as code page 936 of at most the same length
  // (a refused pair of bytes comes back as one "?").
  const board::Text back = board::Utf16ToText(fromCp936, 936);
  FUZZ_CHECK(back.Length() <= text.Length());

  const board::ByteSeq fromUtf8 = board::TextToUtf16(text, 65001);
  CheckUnits(fromUtf8, text);
  // Well-formed UTF-8 comes back unchanged.
  const board::Text utf8 = board::Utf16ToText(fromUtf8, 65001);
  FUZZ_CHECK(board::Utf16ToText(board::TextToUtf16(utf8, 65001), 65001) ==
             utf8);

  // The bytes as UTF-16 units, whatever they hold.
  const board::ByteSeq units(bytes);
  FUZZ_CHECK(board::Utf16ToText(units, 936).Length() <= static_cast<int>(size));
  FUZZ_CHECK(board::Utf16ToText(units, 65001).Length() <=
             static_cast<int>(size / 2 * 3));
  return 0;
}
