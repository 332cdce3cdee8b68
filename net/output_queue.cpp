#include "net/output_queue.h"

#include <algorithm>

namespace board {

void OutputQueue::Append(std::string_view bytes) {
  if (bytes.empty()) return;
  const bool join = head_ < chunks_.size() &&
                    chunks_.back().Size() < kJoinBelow &&
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
  for (std::size_t i = head_; i < chunks_.size(); ++i) {
    if (filled == pieces.size()) break;
    const std::size_t skip = filled == 0 ? headOffset_ : 0;
    pieces[filled++] = chunks_[i].View().substr(skip);
  }
  return filled;
}

void OutputQueue::Consume(std::size_t count) {
  count = std::min(count, size_);
  size_ -= count;
  while (count > 0) {
    const std::size_t left = chunks_[head_].Size() - headOffset_;
    if (count < left) {
      headOffset_ += count;
      break;
    }
    count -= left;
    chunks_[head_++] = ByteSeq();
    headOffset_ = 0;
  }
  DropSentChunks();
}

void OutputQueue::DropSentChunks() {
  if (head_ == chunks_.size()) {
    chunks_.clear();
    head_ = 0;
  } else if (head_ > 32 && head_ * 2 > chunks_.size()) {
    // Shifting the rest down costs no more than the sends that went before.
    chunks_.erase(chunks_.begin(),
                  chunks_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
}

void OutputQueue::Clear() {
  chunks_.clear();
  head_ = 0;
  headOffset_ = 0;
  size_ = 0;
}

}  // namespace board
