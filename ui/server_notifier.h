#pragma once

#include <QSocketNotifier>

#include "net/message_server.h"

namespace board {

// Runs the server on the Qt event loop's thread: whenever its readiness
// descriptor becomes readable, the server handles what is ready, raising its
// events from inside the loop.
class ServerNotifier {
 public:
  explicit ServerNotifier(MessageServer& server);

 private:
  MessageServer& server_;
  QSocketNotifier notifier_;
};

}  // namespace board
