#include "net/server_core.h"

#include <algorithm>
#include <array>

#include "net/socket_posix.h"

namespace board {
namespace {

constexpr std::int64_t kTimerSlack = 4'000'000;  // ns
constexpr std::int64_t kAtOnce = 1;

// Epoll tags: the descriptor in the low half, the connection's serial in the
// high half; serial 0 marks the listener and the timer.
std::uint64_t TagOf(int socket, std::uint32_t serial) {
  return (static_cast<std::uint64_t>(serial) << 32) |
         static_cast<std::uint32_t>(socket);
}

int SocketOfTag(std::uint64_t tag) {
  return static_cast<int>(static_cast<std::uint32_t>(tag));
}

std::uint32_t SerialOfTag(std::uint64_t tag) {
  return static_cast<std::uint32_t>(tag >> 32);
}

// Expiries a few milliseconds apart are handled in one turn instead of one
// turn each; every wait here is hundreds of milliseconds long.
std::int64_t WithSlack(std::int64_t moment) {
  return (moment / kTimerSlack + 1) * kTimerSlack;
}

}  // namespace

ServerCore::ServerCore(ServerEvents& events)
    : events_(events), spare_(OpenSpareDescriptor()) {
  if (timer_.IsValid()) {
    poller_.Watch(timer_.Descriptor(), kWatchReadable,
                  TagOf(timer_.Descriptor(), 0));
  }
}

ServerCore::~ServerCore() {
  table_.Clear();
  slots_.clear();
  listener_.Reset();
}

bool ServerCore::StartListening(std::uint16_t port) {
  if (listener_.IsValid()) {
    if (!acceptPaused_) poller_.Forget(listener_.Get());
    listener_.Reset();
  }
  acceptPaused_ = false;
  descriptorLimit_ = OpenFileLimit();
  if (poller_.IsValid()) {
    listener_ = OpenListener(port);
    if (listener_.IsValid() && !poller_.Watch(listener_.Get(), kWatchReadable,
                                              TagOf(listener_.Get(), 0))) {
      listener_.Reset();
    }
  }
  if (IsListening()) {
    WatchAllClients();
  } else {
    ForgetAllClients();
  }
  if (!inTurn_) UpdateTimer();
  return IsListening();
}

bool ServerCore::HandleReadiness() {
  // A handler that runs a nested event loop must not start a second turn:
  // the outer one is still using its list of ready descriptors.
  if (inTurn_) return true;
  inTurn_ = true;
  if (!Settle()) return false;
  for (const Readiness& ready : poller_.TakeReady()) {
    if (!Dispatch(ready) || !Settle()) return false;
  }
  inTurn_ = false;
  UpdateTimer();
  return true;
}

bool ServerCore::Dispatch(const Readiness& ready) {
  const int socket = SocketOfTag(ready.tag);
  const std::uint32_t serial = SerialOfTag(ready.tag);
  if (serial == 0) {
    if (socket == timer_.Descriptor()) return OnTimer();
    if (socket == listener_.Get() && !acceptPaused_) return OnAcceptReady();
    return true;
  }
  // Reports taken before the clients were forgotten are dropped too.
  if (!clientsWatched_) return true;
  Connection* connection = Find(socket, serial);
  if (connection == nullptr) return true;
  return OnClientReady(*connection, ready);
}

bool ServerCore::OnAcceptReady() {
  for (int i = 0; i < kMaxAcceptsPerTurn && listener_.IsValid(); ++i) {
    AcceptResult accepted = AcceptClient(listener_.Get());
    switch (accepted.status) {
      case AcceptStatus::kAccepted:
        // Dropped there: the socket closes with accepted.
        if (IntoTheReserve(accepted.socket.Get())) break;
        if (!Adopt(std::move(accepted))) return false;
        break;
      case AcceptStatus::kRefused:
        break;
      case AcceptStatus::kOutOfDescriptors:
        // The waiting connection keeps the listener readable; without
        // taking it off the queue the loop would spin.
        if (!spare_.IsValid()) {
          PauseAccepting();
          return true;
        }
        DropOneWaiting(listener_.Get(), spare_);
        break;
      case AcceptStatus::kNoneWaiting:
      case AcceptStatus::kFailed:
        return true;
    }
  }
  return true;
}

bool ServerCore::IntoTheReserve(int socket) {
  // The kernel hands out the lowest free number, so a number this high means
  // that fewer than the reserve are left.
  if (socket < descriptorLimit_ - kReservedDescriptors) return false;
  descriptorLimit_ = OpenFileLimit();  // it may have been raised since
  return socket >= descriptorLimit_ - kReservedDescriptors;
}

bool ServerCore::Adopt(AcceptResult&& accepted) {
  auto connection = std::make_unique<Connection>();
  const int socket = accepted.socket.Get();
  connection->socket = std::move(accepted.socket);
  if (++lastSerial_ == 0) lastSerial_ = 1;
  connection->serial = lastSerial_;
  connection->address = accepted.address;
  if (!poller_.Watch(socket, kWatchReadable, TagOf(socket, lastSerial_))) {
    return true;
  }
  connection->watchedFor = kWatchReadable;
  if (static_cast<std::size_t>(socket) >= slots_.size()) {
    slots_.resize(static_cast<std::size_t>(socket) + 1);
  }
  slots_[socket] = std::move(connection);
  table_.Add(socket, accepted.address);
  return events_.ClientEntered(accepted.address);
}

bool ServerCore::OnClientReady(Connection& connection, const Readiness& ready) {
  const ConnectionId id = IdOf(connection);
  const bool maySend = ready.writable || ready.failed || ready.peerClosed;
  if (maySend && !connection.output.IsEmpty()) {
    if (!Flush(connection)) return false;
  }
  Connection* still = Find(id);
  if (still == nullptr || still->stage == Connection::Stage::kDraining) {
    return true;
  }
  if (ready.readable || ready.peerClosed || ready.failed) {
    return OnReadable(*still, ready.peerClosed);
  }
  return true;
}

bool ServerCore::OnReadable(Connection& connection, bool peerClosed) {
  if (connection.stage != Connection::Stage::kOpen) {
    return DiscardArrivals(connection);
  }
  const ConnectionId id = IdOf(connection);
  ReadResult read = ReadWaiting(id.first, kMaxArrival, peerClosed);
  const bool over = read.ended || read.failed;
  if (!read.bytes.IsEmpty()) {
    ByteSeq arrival;
    switch (connection.joiner.Offer(std::move(read.bytes), &arrival)) {
      case RequestLineJoiner::Outcome::kDeliver:
        connection.lineDeadline = 0;
        if (!Deliver(id, std::move(arrival))) return false;
        break;
      case RequestLineJoiner::Outcome::kKeep:
        if (!over) KeepLineUntil(connection, MonotonicNow() + kLineWait);
        break;
      case RequestLineJoiner::Outcome::kOverflow:
        // Nothing of a request cut at this size may be stored.
        return CloseWithLeave(connection);
    }
  }
  if (!over) return true;
  Connection* still = Find(id);
  if (still != nullptr && still->joiner.HasKept() &&
      still->stage == Connection::Stage::kOpen) {
    still->lineDeadline = 0;
    if (!Deliver(id, still->joiner.Flush())) return false;
  }
  return EndOfStream(id, read.failed);
}

bool ServerCore::DiscardArrivals(Connection& connection) {
  const ReadResult read = DiscardWaiting(connection.socket.Get(), kMaxArrival);
  if (read.ended || read.failed) {
    return EndOfStream(IdOf(connection), read.failed);
  }
  return true;
}

bool ServerCore::Deliver(const ConnectionId& id, ByteSeq bytes) {
  const Connection* connection = Find(id);
  if (connection == nullptr || !connection->InTable()) return true;
  const Text client = connection->address;
  return events_.DataArrived(std::move(bytes), client);
}

bool ServerCore::EndOfStream(const ConnectionId& id, bool reset) {
  Connection* connection = Find(id);
  if (connection == nullptr) return true;
  if (reset || connection->broken || connection->output.IsEmpty() ||
      connection->stage == Connection::Stage::kShut) {
    return CloseWithLeave(*connection);
  }
  // A peer that only ended its sending side may still read: what is kept
  // for it goes out before the socket is closed, but for the table and the
  // handlers the connection has ended now.
  connection->stage = Connection::Stage::kDraining;
  Rewatch(*connection);
  table_.RemoveSocket(id.first);
  const Text client = connection->address;
  return events_.ClientLeft(client);
}

bool ServerCore::Flush(Connection& connection) {
  std::array<std::string_view, 16> pieces{};
  while (!connection.output.IsEmpty()) {
    const std::size_t count = connection.output.Front(pieces);
    const SendResult result =
        SendPieces(connection.socket.Get(), std::span(pieces.data(), count));
    if (result.status == SendStatus::kFailed) {
      connection.broken = true;
      connection.output.Clear();
      if (connection.stage == Connection::Stage::kDraining) {
        Release(connection);
        return true;
      }
      return CloseWithLeave(connection);
    }
    connection.output.Consume(result.sent);
    if (result.sent == 0 || result.status == SendStatus::kPartial) break;
  }
  if (!connection.output.IsEmpty()) return true;
  switch (connection.stage) {
    case Connection::Stage::kDraining:
      Release(connection);
      return true;
    case Connection::Stage::kClosing:
      return SettleOne(connection);
    default:
      Rewatch(connection);
      return true;
  }
}

bool ServerCore::OnTimer() {
  timer_.Acknowledge();
  if (!clientsWatched_) return true;
  const std::int64_t now = MonotonicNow();
  while (!deadlines_.IsEmpty() && deadlines_.Earliest() <= now) {
    if (!OnDeadline(deadlines_.Pop(), now)) return false;
  }
  return true;
}

bool ServerCore::OnDeadline(const DeadlineQueue::Entry& entry,
                            std::int64_t now) {
  if (entry.kind == DeadlineQueue::Kind::kResumeAccepting) {
    ResumeAccepting();
    return true;
  }
  Connection* connection = Find(entry.socket, entry.serial);
  if (connection == nullptr) return true;
  if (entry.kind == DeadlineQueue::Kind::kShutWait) {
    if (connection->stage != Connection::Stage::kShut) return true;
    return CloseWithLeave(*connection);
  }
  connection->lineTimerQueued = false;
  if (connection->lineDeadline == 0) return true;
  if (connection->lineDeadline > now) {
    // More bytes came since this entry was queued; wait from the last ones.
    KeepLineUntil(*connection, connection->lineDeadline);
    return true;
  }
  connection->lineDeadline = 0;
  if (connection->stage != Connection::Stage::kOpen ||
      !connection->joiner.HasKept()) {
    return true;
  }
  return Deliver(IdOf(*connection), connection->joiner.Flush());
}

bool ServerCore::Settle() {
  while (!toSettle_.empty()) {
    std::vector<ConnectionId> batch;
    batch.swap(toSettle_);
    for (const ConnectionId& id : batch) {
      Connection* connection = Find(id);
      if (connection != nullptr && !SettleOne(*connection)) return false;
    }
  }
  return true;
}

bool ServerCore::SettleOne(Connection& connection) {
  if (connection.broken) {
    if (connection.stage == Connection::Stage::kDraining) {
      Release(connection);
      return true;
    }
    return CloseWithLeave(connection);
  }
  if (connection.stage != Connection::Stage::kClosing ||
      !connection.output.IsEmpty()) {
    return true;
  }
  // With nothing unread a plain close ends the stream with a FIN after the
  // bytes already handed over, so the wait for the peer is not needed; unread
  // bytes would turn the close into a reset that can destroy the response.
  if (!InputWaiting(connection.socket.Get())) {
    return CloseWithLeave(connection);
  }
  if (!ShutdownSending(connection.socket.Get())) {
    return CloseWithLeave(connection);
  }
  connection.stage = Connection::Stage::kShut;
  // A peer that never closes is closed after a while all the same.
  deadlines_.Push({MonotonicNow() + kShutWait, DeadlineQueue::Kind::kShutWait,
                   connection.socket.Get(), connection.serial});
  Rewatch(connection);
  return true;
}

bool ServerCore::CloseWithLeave(Connection& connection) {
  const bool inTable = connection.InTable();
  const Text client = connection.address;
  Release(connection);
  return inTable ? events_.ClientLeft(client) : true;
}

void ServerCore::Release(Connection& connection) {
  const int socket = connection.socket.Get();
  table_.RemoveSocket(socket);
  // Closing the last descriptor of a socket also takes it out of the epoll
  // set, so no separate call is needed.
  slots_[socket].reset();
}

bool ServerCore::Send(const Text& client, std::string_view data,
                      int waitSeconds) {
  if (client.IsEmpty()) return false;
  const ClientEntry* entry = table_.FindByAddress(client);
  if (entry == nullptr) return false;
  if (data.empty()) return true;
  Connection& connection = *slots_[entry->socket];
  if (!connection.AcceptsOutput()) return false;
  const int socket = connection.socket.Get();
  if (waitSeconds >= 0 && !WaitWritable(socket, waitSeconds)) return false;

  std::string_view rest = data;
  if (connection.output.IsEmpty()) {
    const SendResult result = SendPieces(socket, std::span(&data, 1));
    if (result.status == SendStatus::kAll) return true;
    if (result.status == SendStatus::kFailed) {
      MarkBroken(connection);
      return false;
    }
    rest = data.substr(result.sent);
  }
  if (connection.output.Size() + rest.size() > kMaxKeptOutput) {
    MarkBroken(connection);
    return false;
  }
  connection.output.Append(rest);
  Rewatch(connection);
  return true;
}

void ServerCore::CloseAfterSend(const Text& client) {
  if (client.IsEmpty()) return;
  const ClientEntry* entry = table_.FindByAddress(client);
  if (entry == nullptr) return;
  Connection& connection = *slots_[entry->socket];
  if (connection.stage != Connection::Stage::kOpen) return;
  connection.stage = Connection::Stage::kClosing;
  connection.lineDeadline = 0;
  // Settled only after the running handler returns, which may still send.
  AskToSettle(connection);
}

void ServerCore::MarkBroken(Connection& connection) {
  connection.broken = true;
  connection.output.Clear();
  AskToSettle(connection);
}

void ServerCore::AskToSettle(const Connection& connection) {
  toSettle_.push_back(IdOf(connection));
  if (!inTurn_) UpdateTimer();
}

void ServerCore::KeepLineUntil(Connection& connection, std::int64_t moment) {
  connection.lineDeadline = moment;
  if (connection.lineTimerQueued) return;
  connection.lineTimerQueued = true;
  deadlines_.Push({moment, DeadlineQueue::Kind::kLineWait,
                   connection.socket.Get(), connection.serial});
}

void ServerCore::Rewatch(Connection& connection) {
  unsigned wanted = connection.stage == Connection::Stage::kDraining
                        ? kWatchNothing
                        : kWatchReadable;
  if (!connection.output.IsEmpty()) wanted |= kWatchWritable;
  if (!clientsWatched_ || wanted == connection.watchedFor) return;
  const int socket = connection.socket.Get();
  if (poller_.Change(socket, wanted, TagOf(socket, connection.serial))) {
    connection.watchedFor = wanted;
  }
}

void ServerCore::WatchAllClients() {
  if (clientsWatched_) return;
  clientsWatched_ = true;
  for (const auto& slot : slots_) {
    if (slot == nullptr) continue;
    const int socket = slot->socket.Get();
    slot->watchedFor = kWatchNothing;
    unsigned wanted =
        slot->stage == Connection::Stage::kDraining ? 0u : kWatchReadable;
    if (!slot->output.IsEmpty()) wanted |= kWatchWritable;
    if (poller_.Watch(socket, wanted, TagOf(socket, slot->serial))) {
      slot->watchedFor = wanted;
    }
  }
}

void ServerCore::ForgetAllClients() {
  if (!clientsWatched_) return;
  clientsWatched_ = false;
  for (const auto& slot : slots_) {
    if (slot == nullptr) continue;
    poller_.Forget(slot->socket.Get());
    slot->watchedFor = kWatchNothing;
  }
}

void ServerCore::PauseAccepting() {
  poller_.Forget(listener_.Get());
  acceptPaused_ = true;
  deadlines_.Push({MonotonicNow() + kAcceptPause,
                   DeadlineQueue::Kind::kResumeAccepting, -1, 0});
}

void ServerCore::ResumeAccepting() {
  if (!acceptPaused_ || !listener_.IsValid()) return;
  if (!spare_.IsValid()) spare_ = OpenSpareDescriptor();
  acceptPaused_ = false;
  if (!poller_.Watch(listener_.Get(), kWatchReadable,
                     TagOf(listener_.Get(), 0))) {
    listener_.Reset();
  }
}

void ServerCore::UpdateTimer() {
  std::int64_t moment = DeadlineTimer::kNever;
  if (!toSettle_.empty()) {
    moment = kAtOnce;
  } else if (clientsWatched_ && !deadlines_.IsEmpty()) {
    moment = WithSlack(deadlines_.Earliest());
  }
  timer_.ArmAt(moment);
}

Connection* ServerCore::Find(int socket, std::uint32_t serial) const {
  if (socket < 0 || static_cast<std::size_t>(socket) >= slots_.size()) {
    return nullptr;
  }
  Connection* connection = slots_[socket].get();
  return connection != nullptr && connection->serial == serial ? connection
                                                               : nullptr;
}

}  // namespace board
