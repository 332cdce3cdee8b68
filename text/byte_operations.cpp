#include "text/byte_operations.h"

#include <array>
#include <charconv>
#include <climits>
#include <cmath>

namespace board {

int BytesLength(const ByteSeq& b) { return b.Length(); }

ByteSeq TextToBytes(const Text& t) { return ByteSeq(t.View()); }

Text BytesToText(const ByteSeq& b) { return Text(b.View()); }

Text IntToText(int n) {
  std::array<char, 16> digits{};  // "-2147483648" is the longest
  const auto result =
      std::to_chars(digits.data(), digits.data() + digits.size(), n);
  return Text(std::string_view(
      digits.data(), static_cast<std::size_t>(result.ptr - digits.data())));
}

ByteSeq BlankBytes(int n) {
  ByteSeq zeros;
  if (n > 0) zeros.Resize(static_cast<std::size_t>(n));
  return zeros;
}

ByteSeq BytesFromMemory(const unsigned char* address, int n) {
  if (address == nullptr || n <= 0) return ByteSeq();
  return ByteSeq(address, static_cast<std::size_t>(n));
}

ByteSeq ConcatBytes(std::initializer_list<ByteSeq> parts) {
  std::size_t total = 0;
  for (const ByteSeq& part : parts) total += part.Size();
  ByteSeq joined;
  joined.Reserve(total);
  for (const ByteSeq& part : parts) joined.Append(part);
  return joined;
}

bool CompareBytes(const ByteSeq& a, const ByteSeq& b) {
  return a.Length() == b.Length() && a.View() == b.View();
}

int TruncateToInt(double x) {
  // Converting a value outside int, or NaN, would be undefined; such values
  // never come from the callers, so they are pinned to the nearest limit.
  if (std::isnan(x)) return 0;
  const double whole = std::trunc(x);
  if (whole >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (whole <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(whole);
}

}  // namespace board
