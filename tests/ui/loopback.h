#pragma once

#include <QByteArray>
#include <chrono>
#include <functional>

namespace board::testing {

// Ports on 127.0.0.1 for tests that run beside other programs on the machine.
enum class PortState { Free, Taken, NotAllowed };

// Whether this process could listen on port (binding with SO_REUSEADDR, as
// the server does).
PortState ProbePort(int port);
// A port that was free a moment ago.
int FreePort();
// Whether something accepts TCP connections on 127.0.0.1:port.
bool AcceptsConnections(int port);

// One HTTP exchange with a server that runs on this very thread: while it
// waits, the Qt event loop is turned so the server can answer. Gives the
// bytes received once a whole response (head, Content-Length bytes and the
// closing "\r\n") is there, the connection ends, or the time is up.
QByteArray Exchange(int port, const QByteArray& request,
                    std::chrono::milliseconds limit = std::chrono::seconds(5));

// A connection that stays open until the test lets it go.
class OpenConnection {
 public:
  explicit OpenConnection(int port);
  ~OpenConnection();
  OpenConnection(const OpenConnection&) = delete;
  OpenConnection& operator=(const OpenConnection&) = delete;

  bool IsConnected() const { return connected_; }
  // Whether the other side has closed the connection (no event loop turns:
  // for a server that is already gone).
  bool WasClosedByPeer(
      std::chrono::milliseconds limit = std::chrono::seconds(2));

 private:
  int fd_ = -1;
  bool connected_ = false;
};

// Turns the event loop until done() holds or the time is up.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit = std::chrono::seconds(5));

}  // namespace board::testing
