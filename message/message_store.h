#pragma once

#include "text/byte_seq.h"
#include "text/text.h"

namespace board {

// The one stored message: a file named "存储文本.txt" joined directly (with no
// separator) to a directory text, by default the run directory.
class MessageStore {
 public:
  MessageStore();
  explicit MessageStore(Text directory);

  Text StorePath() const;
  bool PublishMessage(const ByteSeq& content);
  bool ClearMessage();
  ByteSeq ReadMessage() const;

 private:
  Text directory_;
};

}  // namespace board
