#include "text/text_operations.h"
#include "text/text_walk.h"

namespace board {
namespace {

using text_walk::CharacterWidth;
using text_walk::IsCutLeadByte;
using text_walk::SpanMatches;

// A limit that was not given, or was given as a negative number, never stops.
bool LimitReached(std::optional<int> limit, int done) {
  return limit.has_value() && *limit >= 0 && done >= *limit;
}

}  // namespace

int FindText(const Text& t, const Text& sought, std::optional<int> start,
             bool ignoreCase) {
  const int len = t.Length();
  int s = text_walk::StartOffset(start);
  if (sought.IsEmpty()) return s < len ? 1 : -1;
  const int m = sought.Length();
  while (len - s >= m) {
    if (SpanMatches(t, s, sought, ignoreCase)) return s + 1;
    if (IsCutLeadByte(t, s)) return -1;
    s += CharacterWidth(t, s);
  }
  return -1;
}

Text ReplaceText(const Text& t, const Text& sought,
                 std::optional<Text> replacement, std::optional<int> start,
                 std::optional<int> count, bool caseSensitive) {
  const int len = t.Length();
  const int m = sought.Length();
  int s = text_walk::StartOffset(start);
  if (len == 0 || m == 0 || s >= len || (count.has_value() && *count == 0)) {
    return t;
  }
  const Text inserted = replacement.value_or(Text());
  Text out;
  out.Reserve(len);
  text_walk::AppendSpan(out, t, 0, s);
  int replaced = 0;
  // Bytes that matched nothing are copied a run at a time, not per character.
  int unmatchedFrom = s;
  while (len - s >= m && !LimitReached(count, replaced)) {
    if (SpanMatches(t, s, sought, !caseSensitive)) {
      text_walk::AppendSpan(out, t, unmatchedFrom, s - unmatchedFrom);
      out.Append(inserted);
      s += m;
      unmatchedFrom = s;
      ++replaced;
      continue;
    }
    s += IsCutLeadByte(t, s) ? 1 : CharacterWidth(t, s);
  }
  text_walk::AppendSpan(out, t, unmatchedFrom, len - unmatchedFrom);
  return out;
}

TextList SplitText(const Text& t, std::optional<Text> delimiter,
                   std::optional<int> maxPieces) {
  const Text separator = delimiter.value_or(Text(","));
  const std::optional<int> limit = maxPieces.has_value() && *maxPieces < 0
                                       ? std::optional<int>(0)
                                       : maxPieces;
  const int len = t.Length();
  const int d = separator.Length();
  TextList pieces;
  if (len == 0 || LimitReached(limit, 0)) return pieces;
  if (d == 0) {
    pieces.Add(t);
    return pieces;
  }
  int pieceStart = 0;
  int s = 0;
  while (len - s >= d) {
    if (SpanMatches(t, s, separator, false)) {
      pieces.Add(
          Text(t.View().substr(static_cast<std::size_t>(pieceStart),
                               static_cast<std::size_t>(s - pieceStart))));
      s += d;
      pieceStart = s;
      if (LimitReached(limit, pieces.Count())) return pieces;
      continue;
    }
    if (IsCutLeadByte(t, s)) break;
    s += CharacterWidth(t, s);
  }
  if (pieceStart < len) {
    pieces.Add(Text(t.View().substr(static_cast<std::size_t>(pieceStart))));
  }
  return pieces;
}

}  // namespace board
