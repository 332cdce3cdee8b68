#pragma once

#include <cstdint>
#include <functional>
#include <queue>
#include <vector>

namespace board {

// Moments at which the server has something to do, earliest first. Entries
// are never removed early: whoever pops one checks that it still applies,
// which keeps every change O(log n) and needs no handle per entry.
class DeadlineQueue {
 public:
  enum class Kind { kLineWait, kShutWait, kResumeAccepting };

  struct Entry {
    std::int64_t moment = 0;
    Kind kind = Kind::kLineWait;
    int socket = -1;
    std::uint32_t serial = 0;

    friend bool operator>(const Entry& a, const Entry& b) {
      return a.moment > b.moment;
    }
  };

  bool IsEmpty() const { return heap_.empty(); }
  std::int64_t Earliest() const { return heap_.top().moment; }
  void Push(const Entry& entry) { heap_.push(entry); }
  // Removes and returns the earliest entry; the queue must not be empty.
  Entry Pop() {
    Entry entry = heap_.top();
    heap_.pop();
    return entry;
  }

 private:
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> heap_;
};

}  // namespace board
