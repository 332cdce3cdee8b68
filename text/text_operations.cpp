#include "text/text_operations.h"

#include <algorithm>

#include "text/text_walk.h"

namespace board {

int TextLength(const Text& t) { return t.Length(); }

Text TextLeft(const Text& t, int n) {
  if (n <= 0) return Text();
  return Text(t.View().substr(0, static_cast<std::size_t>(n)));
}

Text TextMid(const Text& t, int start, int n) {
  if (start < 1 || start > t.Length() || n <= 0) return Text();
  return Text(t.View().substr(static_cast<std::size_t>(start - 1),
                              static_cast<std::size_t>(n)));
}

Text CharFromCode(int code) {
  const char byte = static_cast<char>(code & 0xFF);
  return Text(std::string_view(&byte, 1));  // a zero byte gives the empty Text
}

Text BlankText(int n) {
  Text blanks;
  blanks.Reserve(n);
  static constexpr std::string_view kSpaces = "                ";
  for (int left = n; left > 0; left -= static_cast<int>(kSpaces.size())) {
    blanks.Append(kSpaces.substr(
        0, std::min(static_cast<std::size_t>(left), kSpaces.size())));
  }
  return blanks;
}

int CompareText(const Text& a, const Text& b) {
  const int common = std::min(a.Length(), b.Length());
  for (int i = 0; i < common; ++i) {
    if (a.ByteAt(i) != b.ByteAt(i)) return a.ByteAt(i) < b.ByteAt(i) ? -1 : 1;
  }
  if (a.Length() == b.Length()) return 0;
  return a.Length() < b.Length() ? -1 : 1;
}

Text ConcatTexts(std::initializer_list<Text> texts) {
  int total = 0;
  for (const Text& t : texts) total += t.Length();
  Text joined;
  joined.Reserve(total);
  for (const Text& t : texts) joined.Append(t);
  return joined;
}

int ListCount(const TextList& list) { return list.Count(); }

}  // namespace board
