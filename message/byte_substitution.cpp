#include "message/byte_substitution.h"

#include <algorithm>
#include <cstdint>

#include "text/byte_operations.h"

namespace board {

ByteSeq ReplaceBytes(const ByteSeq& source, const ByteSeq& pattern,
                     const ByteSeq& replacement, std::optional<int> start,
                     std::optional<int> count) {
  if (source.IsEmpty() || pattern.IsEmpty()) return {};
  std::vector<int> positions;
  const int found = FindAllBytes(source, pattern, positions, start.value_or(1));
  if (found == 0) return source;
  const int replacements = !count || *count > found ? found : *count;
  if (replacements <= 0) return source;

  // Every occurrence was located in the unchanged source, so splicing them in
  // turn (each moved by the growth of those before it) is the same as copying
  // the source once with the replacement put in at each position; this does
  // the latter, which stays linear however many occurrences there are.
  const std::string_view bytes = source.View();
  const std::size_t patternSize = pattern.Size();
  ByteSeq result;
  result.Reserve(bytes.size() +
                 static_cast<std::size_t>(replacements) * replacement.Size());
  std::size_t copied = 0;
  for (int i = 0; i < replacements; ++i) {
    const auto at = static_cast<std::size_t>(positions[i] - 1);
    result.Append(bytes.substr(copied, at - copied));
    result.Append(replacement);
    copied = at + patternSize;
  }
  result.Append(bytes.substr(copied));
  return result;
}

int FindAllBytes(const ByteSeq& source, const ByteSeq& pattern,
                 std::vector<int>& positions, std::optional<int> start) {
  positions.clear();
  int from = start.value_or(1);
  for (;;) {
    const int found = FindBytes(source, pattern, from);
    if (found == -1) break;
    positions.push_back(found);
    from = found + pattern.Length();
  }
  return static_cast<int>(positions.size());
}

int FindBytes(const ByteSeq& source, const ByteSeq& pattern, int start) {
  if (source.IsEmpty() || pattern.IsEmpty()) return -1;
  const std::size_t offset =
      start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (offset > source.Size() || pattern.Size() > source.Size() - offset) {
    return -1;
  }
  // The leftmost exact byte match, as a plain scan from offset would find.
  const std::size_t at = source.View().find(pattern.View(), offset);
  return at == std::string_view::npos ? -1 : static_cast<int>(at) + 1;
}

ByteSeq SpliceBytes(const ByteSeq& sequence, int position, int length,
                    const ByteSeq& replacement) {
  if (sequence.IsEmpty()) return {};
  if (length < 1) return sequence;
  position = std::max(position, 1);
  const int size = sequence.Length();
  if (position > size) return sequence;
  // In 64 bits: position + length may pass the largest int.
  const std::int64_t rightCount =
      std::int64_t{size} - (std::int64_t{position} + length) + 1;
  return ConcatBytes({BytesLeft(sequence, position - 1), replacement,
                      BytesRight(sequence, static_cast<int>(std::max(
                                               rightCount, std::int64_t{0})))});
}

ByteSeq BytesLeft(const ByteSeq& sequence, int n) {
  if (sequence.IsEmpty() || n < 1) return {};
  n = std::min(n, sequence.Length());
  return BytesFromMemory(sequence.Data(), n);
}

ByteSeq BytesRight(const ByteSeq& sequence, int n) {
  if (sequence.IsEmpty() || n < 1) return {};
  n = std::min(n, sequence.Length());
  return BytesFromMemory(sequence.Data() + (sequence.Length() - n), n);
}

}  // namespace board
