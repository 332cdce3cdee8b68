#include "text/text_operations.h"
#include "text/text_walk.h"

namespace board {
namespace {

using text_walk::CharacterWidth;
using text_walk::IsCutLeadByte;

// Copies t, passing each one-byte character through fold and every two-byte
// character unchanged; a lead byte that ends t is kept as it is.
template <class Fold>
Text FoldOneByteCharacters(const Text& t, Fold fold) {
  Text out;
  out.Reserve(t.Length());
  int s = 0;
  while (s < t.Length()) {
    const int width = CharacterWidth(t, s);
    if (IsCutLeadByte(t, s)) {
      text_walk::AppendSpan(out, t, s, 1);
    } else if (width == 1) {
      const char byte = static_cast<char>(fold(t.ByteAt(s)));
      out.Append(std::string_view(&byte, 1));
    } else {
      text_walk::AppendSpan(out, t, s, width);
    }
    s += width;
  }
  return out;
}

}  // namespace

Text ToUpperAscii(const Text& t) {
  return FoldOneByteCharacters(t, [](unsigned char byte) {
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 0x20)
                                      : byte;
  });
}

Text ToLowerAscii(const Text& t) {
  return FoldOneByteCharacters(t, text_walk::LowerAsciiByte);
}

}  // namespace board
