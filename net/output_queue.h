#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "text/byte_seq.h"

namespace board {

// The bytes a connection still has to send, in order.
class OutputQueue {
 public:
  bool IsEmpty() const { return size_ == 0; }
  std::size_t Size() const { return size_; }

  void Append(std::string_view bytes);
  // Fills pieces with the first unsent pieces; returns how many it filled.
  std::size_t Front(std::span<std::string_view> pieces) const;
  // Forgets the first count bytes (at most Size()).
  void Consume(std::size_t count);
  void Clear();

 private:
  // Small writes are joined into the last chunk so that many short answers
  // to a slow reader cost one allocation, not one each.
  static constexpr std::size_t kJoinBelow = 16 * 1024;

  void DropSentChunks();

  // A vector, unlike a deque, allocates nothing while empty, and most
  // connections never keep anything.
  std::vector<ByteSeq> chunks_;
  std::size_t head_ = 0;        // chunks before it are sent
  std::size_t headOffset_ = 0;  // bytes of chunks_[head_] already sent
  std::size_t size_ = 0;
};

}  // namespace board
