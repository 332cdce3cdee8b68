#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace board {

// SIGTERM and SIGINT, the platform's requests to end, become a call on the
// event loop: the signal handler only writes a byte to a pipe that the loop
// watches. Made before the application object, so that a signal arriving
// during start-up waits in the pipe.
class TerminationSignals {
 public:
  TerminationSignals();
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  int ReadDescriptor() const { return readEnd_; }

 private:
  int readEnd_ = -1;
  int writeEnd_ = -1;
};

// Calls onRequest on the loop for every burst of termination signals. Must
// not outlive the application object.
class TerminationNotifier {
 public:
  TerminationNotifier(const TerminationSignals& source,
                      std::function<void()> onRequest);

 private:
  int readEnd_;
  std::function<void()> onRequest_;
  QSocketNotifier notifier_;
};

}  // namespace board
