#include "message/query_value.h"

#include "message/literals.h"
#include "text/text_operations.h"

namespace board {
namespace {

const Text& HexDigitTable() {
  static const Text table(literals::kHexDigits);
  return table;
}

const Text& Percent() {
  static const Text percent(literals::kPercent);
  return percent;
}

// The value of the hexadecimal digit at position i: 0 to 15 for a digit of
// either case, -2 for any other byte, 0 past the end (the empty Text is found
// at the table's first position). Malformed escapes thus still decode to a
// byte instead of failing.
int DigitAt(const Text& encoded, int i) {
  return FindText(HexDigitTable(), ToUpperAscii(TextMid(encoded, i, 1)),
                  std::nullopt, false) -
         1;
}

Text WithQuotes(const Text& marker) {
  return ReplaceText(marker, literals::kQuoteToken, Text(literals::kQuote),
                     std::nullopt, std::nullopt, true);
}

}  // namespace

Text ExtractBetween(const Text& source, const Text& startMarker,
                    const Text& endMarker, std::optional<int> startPosition,
                    std::optional<bool> ignoreCase) {
  const Text start = WithQuotes(startMarker);
  const Text end = WithQuotes(endMarker);
  const bool folding = ignoreCase.value_or(false);
  const int markerAt = FindText(source, start, startPosition, folding);
  if (markerAt == -1) return {};
  const int valueStart = markerAt + TextLength(start);
  // A value that is not closed yields nothing, not the rest of the source.
  const int valueEnd = FindText(source, end, valueStart, folding);
  if (valueEnd == -1) return {};
  return TextMid(source, valueStart, valueEnd - valueStart);
}

Text PercentDecode(const Text& encoded, std::optional<bool> fromUtf8) {
  const int n = TextLength(encoded);
  Text result;
  result.Reserve(n);
  for (int i = 1; i <= n; ++i) {
    const Text byte = TextMid(encoded, i, 1);
    if (CompareText(byte, Percent()) != 0) {
      result.Append(byte);
      continue;
    }
    // The two bytes after "%" are taken whatever they are.
    const int high = DigitAt(encoded, ++i);
    const int low = DigitAt(encoded, ++i);
    result.Append(CharFromCode((high * 16 + low) & 0xFF));
  }
  return fromUtf8.value_or(false) ? Utf8ToCp936(result) : result;
}

Text Utf8ToCp936(const Text& text) {
  return Utf16ToText(TextToUtf16(text), 936);
}

}  // namespace board
