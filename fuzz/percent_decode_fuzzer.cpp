// Arbitrary bytes as a published value: decoding never fails, never makes a
// longer text, and the conversion is the same as converting the raw result.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "message/query_value.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const board::Text encoded(
      std::string_view(reinterpret_cast<const char*>(data), size));
  const board::Text raw = board::PercentDecode(encoded, false);
  FUZZ_CHECK(raw.Length() <= encoded.Length());
  FUZZ_CHECK(raw.View().find('\0') == std::string_view::npos);

  const board::Text converted = board::PercentDecode(encoded, true);
  FUZZ_CHECK(converted == board::Utf8ToCp936(raw));
  // Each byte of UTF-8 gives at most one unit, each unit at most two bytes.
  FUZZ_CHECK(converted.Length() <= 2 * raw.Length());

  const board::Text value = board::ExtractBetween(encoded, "fabu=", " ");
  FUZZ_CHECK(value.Length() <= encoded.Length());
  return 0;
}
