#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "net/unique_fd.h"
#include "text/byte_seq.h"
#include "text/text.h"

namespace board {

// Raises the soft limit of open descriptors to the hard limit.
void RaiseOpenFileLimit();

// The soft limit of open descriptors, at most INT_MAX.
int OpenFileLimit();

// A non-blocking TCP listener on every local IPv4 address; invalid when the
// port cannot be had.
UniqueFd OpenListener(std::uint16_t port);

// A descriptor held in reserve so that a full descriptor table can still be
// relieved; see AcceptClient.
UniqueFd OpenSpareDescriptor();

enum class AcceptStatus {
  kAccepted,
  kNoneWaiting,
  kRefused,
  kOutOfDescriptors,
  kFailed
};

struct AcceptResult {
  AcceptStatus status = AcceptStatus::kFailed;
  UniqueFd socket;
  Text address;  // "a.b.c.d:port"
};

// Accepts one waiting connection as a non-blocking socket.
AcceptResult AcceptClient(int listener);

// Closes the spare descriptor, accepts and drops one waiting connection and
// takes a fresh spare; used when the table of descriptors is full so that the
// waiting connection stops keeping the listener readable.
void DropOneWaiting(int listener, UniqueFd& spare);

struct ReadResult {
  ByteSeq bytes;
  bool ended = false;   // end of stream
  bool failed = false;  // reset or another error
};

// Reads what is waiting, up to limit bytes. It asks the kernel how much is
// waiting first; when that much was read and keepGoing is false, it stops
// there, since level-triggered readiness reports later bytes anyway.
ReadResult ReadWaiting(int socket, std::size_t limit, bool keepGoing);

// Reads and drops up to limit waiting bytes; only the end of the stream or a
// failure matters to the caller.
ReadResult DiscardWaiting(int socket, std::size_t limit);

enum class SendStatus { kAll, kPartial, kFailed };

struct SendResult {
  SendStatus status = SendStatus::kFailed;
  std::size_t sent = 0;
};

// Sends as much of the pieces, in order, as the kernel takes at once.
SendResult SendPieces(int socket, std::span<const std::string_view> pieces);

// Waits up to seconds for the socket to take bytes.
bool WaitWritable(int socket, int seconds);

// Whether unread bytes wait on the socket; true as well when the kernel
// cannot tell, so that callers take the cautious path.
bool InputWaiting(int socket);

bool ShutdownSending(int socket);

}  // namespace board
