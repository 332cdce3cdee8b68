#pragma once

#include <cstdint>

#include "net/unique_fd.h"

namespace board {

// Nanoseconds on the monotonic clock, the clock the timer runs on.
std::int64_t MonotonicNow();

// A timer descriptor that becomes readable at one absolute moment; watched in
// the same epoll set as the sockets.
class DeadlineTimer {
 public:
  static constexpr std::int64_t kNever = 0;

  DeadlineTimer();

  bool IsValid() const { return timer_.IsValid(); }
  int Descriptor() const { return timer_.Get(); }

  // Arms the timer for moment (kNever disarms); a moment already past fires
  // at once. Does nothing when it is armed for that moment already.
  void ArmAt(std::int64_t moment);
  // Takes the expiry so that the descriptor stops being readable.
  void Acknowledge();

 private:
  UniqueFd timer_;
  std::int64_t armedFor_ = kNever;
};

}  // namespace board
