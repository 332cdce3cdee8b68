#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "net/message_server.h"
#include "net/unique_fd.h"
#include "text/byte_seq.h"
#include "text/text.h"

namespace board::testing {

using std::chrono::milliseconds;

// A port that nothing listened on a moment ago.
int FreePort();
// Whether some socket listens on port now.
bool PortTaken(int port);

// A blocking client socket connected to 127.0.0.1:port; invalid when refused.
UniqueFd Connect(int port);
// Connects a socket made beforehand (connecting needs no new descriptor).
bool ConnectSocket(const UniqueFd& client, int port);
// The address the server names this client by, "127.0.0.1:port".
Text AddressOf(const UniqueFd& client);
void Write(const UniqueFd& client, std::string_view bytes);
// Closes with a reset instead of an orderly end.
void Reset(UniqueFd& client);

// Runs the server's readiness loop until done() holds or the time is up;
// returns done().
bool RunUntil(MessageServer& server, const std::function<bool()>& done,
              milliseconds timeout = milliseconds(5000));
void RunFor(MessageServer& server, milliseconds time);
// Whether the readiness descriptor is readable now, i.e. whether a loop
// watching it would be woken.
bool IsAwake(const MessageServer& server);

// What a client received: its bytes, and whether the stream has ended.
struct Received {
  std::string bytes;
  bool ended = false;
  bool reset = false;  // it ended with a reset rather than an orderly close
};
// Reads without blocking what has arrived so far.
void ReadAvailable(const UniqueFd& client, Received& into);
// Runs the server until the client has seen its stream end.
Received ReadToEnd(MessageServer& server, const UniqueFd& client,
                   milliseconds timeout = milliseconds(5000));

// Every event the server raised, with what GetClient and GetData gave.
struct Raised {
  int event = -1;
  Text client;
  std::string data;
};

class EventLog {
 public:
  explicit EventLog(MessageServer& server);
  const std::vector<Raised>& All() const { return raised_; }
  int Count(int event) const;
  std::string DataOf(const Text& client) const;
  // Runs until count events of this number were raised in all.
  bool WaitFor(int event, int count, milliseconds timeout = milliseconds(5000));

 private:
  MessageServer& server_;
  std::vector<Raised> raised_;
};

// A server moved to a free port, with every event logged.
class LoopbackTest : public ::testing::Test {
 protected:
  void SetUp() override;

  MessageServer server_;
  EventLog log_{server_};
  int port_ = 0;
};

}  // namespace board::testing
