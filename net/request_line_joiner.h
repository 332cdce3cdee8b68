#pragma once

#include <cstddef>

#include "text/byte_seq.h"

namespace board {

// Holds the first bytes of a connection until they contain a whole request
// line, so that a line split across arrivals is handed on in one piece. After
// the first hand-over every arrival passes straight through.
class RequestLineJoiner {
 public:
  static constexpr std::size_t kMaxKept = 1024 * 1024;

  enum class Outcome {
    kDeliver,   // hand *out on as one arrival
    kKeep,      // still waiting for the line end
    kOverflow,  // kMaxKept bytes without a line end; everything was dropped
  };

  // Takes the bytes of one arrival.
  Outcome Offer(ByteSeq bytes, ByteSeq* out);
  // Hands over what is kept, however incomplete (the peer stopped or went
  // quiet), and passes everything through from then on.
  ByteSeq Flush();

  bool HasKept() const { return !kept_.IsEmpty(); }
  bool IsPassingThrough() const { return passThrough_; }

 private:
  ByteSeq kept_;
  bool passThrough_ = false;
};

}  // namespace board
