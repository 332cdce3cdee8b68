#include "net/deadline_timer_linux.h"

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

namespace board {
namespace {

constexpr std::int64_t kNanosPerSecond = 1'000'000'000;

}  // namespace

std::int64_t MonotonicNow() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * kNanosPerSecond + now.tv_nsec;
}

DeadlineTimer::DeadlineTimer()
    : timer_(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {}

void DeadlineTimer::ArmAt(std::int64_t moment) {
  if (moment == armedFor_ || !timer_.IsValid()) return;
  itimerspec deadline{};
  if (moment != kNever) {
    // An all-zero value would disarm, so the earliest moment is 1 ns.
    const std::int64_t at = moment > 0 ? moment : 1;
    deadline.it_value.tv_sec = static_cast<time_t>(at / kNanosPerSecond);
    deadline.it_value.tv_nsec = static_cast<long>(at % kNanosPerSecond);
  }
  if (::timerfd_settime(timer_.Get(), TFD_TIMER_ABSTIME, &deadline, nullptr) ==
      0) {
    armedFor_ = moment;
  }
}

void DeadlineTimer::Acknowledge() {
  std::uint64_t expirations = 0;
  if (::read(timer_.Get(), &expirations, sizeof expirations) > 0) {
    armedFor_ = kNever;
  }
}

}  // namespace board
