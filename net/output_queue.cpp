#include "net/output_queue.h"

#include <algorithm>

namespace board {

void OutputQueue::Append(std::string_view bytes) {
  if (bytes.empty()) return;
  const bool join = !chunks_.empty() && chunks_.back().Size() < kJoinBelow &&
                    bytes.size() < kJoinBelow;
  if (join) {
    chunks_.back().Append(bytes);
  } else {
    chunks_.emplace_back(bytes);
  }
  size_ += bytes.size();
}

std::size_t OutputQueue::Front(std::span<std::string_view> pieces) const {
  std::size_t filled = 0;
  for (const ByteSeq& chunk : chunks_) {
    if (filled == pieces.size()) break;
    const std::size_t skip = filled == 0 ? headOffset_ : 0;
    pieces[filled++] = chunk.View().substr(skip);
  }
  return filled;
}

void OutputQueue::Consume(std::size_t count) {
  count = std::min(count, size_);
  size_ -= count;
  while (count > 0) {
    const std::size_t left = chunks_.front().Size() - headOffset_;
    if (count < left) {
      headOffset_ += count;
      return;
    }
    count -= left;
    chunks_.pop_front();
    headOffset_ = 0;
  }
}

void OutputQueue::Clear() {
  chunks_.clear();
  headOffset_ = 0;
  size_ = 0;
}

}  // namespace board
