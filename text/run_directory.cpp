#include "text/run_directory.h"

#include "text/text_operations.h"
#include "text/text_walk.h"

namespace board {

Text DirectoryOf(const Text& path) {
  constexpr unsigned char kSeparator = '/';
  int lastSeparator = -1;
  for (int s = 0; s < path.Length();
       s += text_walk::IsCutLeadByte(path, s)
                ? 1
                : text_walk::CharacterWidth(path, s)) {
    if (path.ByteAt(s) == kSeparator) lastSeparator = s;
  }
  return lastSeparator < 0 ? Text() : TextLeft(path, lastSeparator);
}

}  // namespace board
