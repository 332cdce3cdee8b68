#pragma once

#include <cstdint>

#include "net/output_queue.h"
#include "net/request_line_joiner.h"
#include "net/unique_fd.h"
#include "text/text.h"

namespace board {

// Everything the server keeps for one accepted connection.
struct Connection {
  enum class Stage {
    kOpen,      // arrivals are handed on
    kClosing,   // asked to close once its output is sent; arrivals dropped
    kShut,      // our sending side is shut; waiting for the peer to close
    kDraining,  // the peer has closed; only the kept output is still sent
  };

  UniqueFd socket;
  std::uint32_t serial = 0;  // tells this connection from a later one that
                             // reuses the descriptor number
  Text address;
  Stage stage = Stage::kOpen;
  OutputQueue output;
  RequestLineJoiner joiner;
  // A send failed or the output overflowed: to be closed as a reset.
  bool broken = false;
  unsigned watchedFor = 0;  // Interest bits given to the poller
  // When the kept start of the request line is handed on regardless.
  std::int64_t lineDeadline = 0;
  bool lineTimerQueued = false;

  bool InTable() const { return stage != Stage::kDraining; }
  bool AcceptsOutput() const {
    return !broken && (stage == Stage::kOpen || stage == Stage::kClosing);
  }
};

}  // namespace board
