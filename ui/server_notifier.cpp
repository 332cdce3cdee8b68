#include "ui/server_notifier.h"

namespace board {

ServerNotifier::ServerNotifier(MessageServer& server)
    : server_(server),
      notifier_(server.ReadinessDescriptor(), QSocketNotifier::Read) {
  QObject::connect(&notifier_, &QSocketNotifier::activated, &notifier_,
                   [this] { server_.HandleReadiness(); });
}

}  // namespace board
