#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "net/client_table.h"
#include "net/connection.h"
#include "net/deadline_queue.h"
#include "net/deadline_timer_linux.h"
#include "net/poller_linux.h"
#include "net/unique_fd.h"
#include "text/byte_seq.h"
#include "text/text.h"

namespace board {

// What the socket layer reports. Each call returns false when its handler
// destroyed the server; the caller must then return at once, touching
// nothing of the server on the way out.
struct AcceptResult;

class ServerEvents {
 public:
  virtual bool DataArrived(ByteSeq data, const Text& client) = 0;
  virtual bool ClientEntered(const Text& client) = 0;
  virtual bool ClientLeft(const Text& client) = 0;

 protected:
  ~ServerEvents() = default;
};

// The socket layer: the listener, the connections and their table,
// accepting, reading, sending and closing, driven by one epoll set that also
// holds a timer. It knows nothing of what the bytes mean.
class ServerCore {
 public:
  static constexpr std::size_t kMaxArrival = 1024 * 1024;
  static constexpr std::size_t kMaxKeptOutput = 64 * 1024 * 1024;
  static constexpr std::int64_t kLineWait = 300'000'000;     // ns
  static constexpr std::int64_t kShutWait = 2'000'000'000;   // ns
  static constexpr std::int64_t kAcceptPause = 100'000'000;  // ns
  static constexpr int kMaxAcceptsPerTurn = 64;
  // Descriptors below the limit that connections never take, so that the
  // handlers can still open a file while clients fill the table.
  static constexpr int kReservedDescriptors = 4;

  explicit ServerCore(ServerEvents& events);
  // Closes every connection, raising nothing, then the listener.
  ~ServerCore();
  ServerCore(const ServerCore&) = delete;
  ServerCore& operator=(const ServerCore&) = delete;

  // Closes the listener, if any, and listens on port; connections stay.
  bool StartListening(std::uint16_t port);
  bool IsListening() const { return listener_.IsValid(); }

  int ReadinessDescriptor() const { return poller_.Descriptor(); }
  // Handles what is ready now. Returns false when a handler destroyed the
  // server.
  bool HandleReadiness();

  bool Send(const Text& client, std::string_view data, int waitSeconds);
  void CloseAfterSend(const Text& client);

  const ClientTable& Clients() const { return table_; }

 private:
  using ConnectionId = std::pair<int, std::uint32_t>;

  bool Dispatch(const Readiness& ready);
  bool OnAcceptReady();
  bool Adopt(AcceptResult&& accepted);
  bool IntoTheReserve(int socket);
  bool OnClientReady(Connection& connection, const Readiness& ready);
  bool OnReadable(Connection& connection, bool peerClosed);
  bool DiscardArrivals(Connection& connection);
  bool Deliver(const ConnectionId& id, ByteSeq bytes);
  bool EndOfStream(const ConnectionId& id, bool reset);
  bool Flush(Connection& connection);
  bool OnTimer();
  bool OnDeadline(const DeadlineQueue::Entry& entry, std::int64_t now);
  bool Settle();
  bool SettleOne(Connection& connection);
  bool CloseWithLeave(Connection& connection);
  void Release(Connection& connection);

  void MarkBroken(Connection& connection);
  void AskToSettle(const Connection& connection);
  void KeepLineUntil(Connection& connection, std::int64_t moment);
  void Rewatch(Connection& connection);
  void WatchAllClients();
  void ForgetAllClients();
  void PauseAccepting();
  void ResumeAccepting();
  void UpdateTimer();

  Connection* Find(int socket, std::uint32_t serial) const;
  Connection* Find(const ConnectionId& id) const {
    return Find(id.first, id.second);
  }
  static ConnectionId IdOf(const Connection& connection) {
    return {connection.socket.Get(), connection.serial};
  }

  ServerEvents& events_;
  Poller poller_;
  DeadlineTimer timer_;
  UniqueFd listener_;
  UniqueFd spare_;
  int descriptorLimit_ = 0;
  bool acceptPaused_ = false;
  bool clientsWatched_ = false;
  bool inTurn_ = false;
  std::uint32_t lastSerial_ = 0;
  // Indexed by descriptor number, which the kernel keeps small and dense.
  std::vector<std::unique_ptr<Connection>> slots_;
  ClientTable table_;
  DeadlineQueue deadlines_;
  // Connections to look at once no handler runs: a close asked for or a
  // failed send, whose ClientLeave must not be raised inside another event.
  std::vector<ConnectionId> toSettle_;
};

}  // namespace board
