#include "net/request_line_joiner.h"

#include <string_view>
#include <utility>

namespace board {

RequestLineJoiner::Outcome RequestLineJoiner::Offer(ByteSeq bytes,
                                                    ByteSeq* out) {
  if (passThrough_) {
    *out = std::move(bytes);
    return Outcome::kDeliver;
  }
  // Only the seam and the new bytes can hold a line end the kept bytes lacked.
  const std::size_t searchFrom = kept_.IsEmpty() ? 0 : kept_.Size() - 1;
  if (kept_.IsEmpty()) {
    kept_ = std::move(bytes);
  } else {
    kept_.Append(bytes);
  }
  if (kept_.View().find("\r\n", searchFrom) != std::string_view::npos) {
    *out = Flush();
    return Outcome::kDeliver;
  }
  if (kept_.Size() >= kMaxKept) {
    kept_ = ByteSeq();
    return Outcome::kOverflow;
  }
  return Outcome::kKeep;
}

ByteSeq RequestLineJoiner::Flush() {
  passThrough_ = true;
  return std::exchange(kept_, ByteSeq());
}

}  // namespace board
