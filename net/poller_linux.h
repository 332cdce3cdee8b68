#pragma once

#include <sys/epoll.h>

#include <array>
#include <cstdint>
#include <span>

#include "net/unique_fd.h"

namespace board {

// What a watched descriptor should be reported for.
enum Interest : unsigned {
  kWatchNothing = 0,
  kWatchReadable = 1u << 0,
  kWatchWritable = 1u << 1,
};

// One ready descriptor, named by the tag it was watched with.
struct Readiness {
  std::uint64_t tag = 0;
  bool readable = false;
  bool writable = false;
  // The peer has ended its sending side (or the whole connection).
  bool peerClosed = false;
  bool failed = false;
};

// One epoll instance. Level-triggered, so whatever is not handled in one turn
// is reported again in the next and nothing is lost by handling a bounded
// amount per turn.
class Poller {
 public:
  static constexpr int kMaxPerTurn = 64;

  Poller();

  bool IsValid() const { return epoll_.IsValid(); }
  int Descriptor() const { return epoll_.Get(); }

  bool Watch(int fd, unsigned interest, std::uint64_t tag);
  bool Change(int fd, unsigned interest, std::uint64_t tag);
  void Forget(int fd);

  // Takes what is ready now, never waiting; the span stays valid until the
  // next call.
  std::span<const Readiness> TakeReady();

 private:
  UniqueFd epoll_;
  std::array<epoll_event, kMaxPerTurn> raw_{};
  std::array<Readiness, kMaxPerTurn> ready_{};
};

}  // namespace board
