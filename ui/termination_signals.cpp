#include "ui/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace board {
namespace {

volatile sig_atomic_t g_writeEnd = -1;

void OnTerminationSignal(int /*signal*/) {
  const int savedErrno = errno;
  const char byte = 1;
  // A full pipe already holds a request; losing this byte loses nothing.
  [[maybe_unused]] const ssize_t written = write(g_writeEnd, &byte, 1);
  errno = savedErrno;
}

void SetHandler(int signal, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

}  // namespace

TerminationSignals::TerminationSignals() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return;
  readEnd_ = ends[0];
  writeEnd_ = ends[1];
  g_writeEnd = writeEnd_;
  SetHandler(SIGTERM, &OnTerminationSignal);
  SetHandler(SIGINT, &OnTerminationSignal);
}

TerminationSignals::~TerminationSignals() {
  if (readEnd_ < 0) return;
  SetHandler(SIGTERM, SIG_DFL);
  SetHandler(SIGINT, SIG_DFL);
  g_writeEnd = -1;
  close(readEnd_);
  close(writeEnd_);
}

TerminationNotifier::TerminationNotifier(const TerminationSignals& source,
                                         std::function<void()> onRequest)
    : readEnd_(source.ReadDescriptor()),
      onRequest_(std::move(onRequest)),
      notifier_(readEnd_, QSocketNotifier::Read) {
  notifier_.setEnabled(readEnd_ >= 0);
  QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_, [this] {
    char bytes[64];
    while (read(readEnd_, bytes, sizeof bytes) > 0) {
    }
    if (onRequest_) onRequest_();
  });
}

}  // namespace board
