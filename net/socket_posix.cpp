#include "net/socket_posix.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdio>

namespace board {
namespace {

constexpr std::size_t kFollowUpRead = 64 * 1024;
constexpr std::size_t kMaxPiecesPerSend = 16;

Text FormatAddress(const sockaddr_in& peer) {
  std::array<char, INET_ADDRSTRLEN> dotted{};
  if (::inet_ntop(AF_INET, &peer.sin_addr, dotted.data(), dotted.size()) ==
      nullptr) {
    return {};
  }
  std::array<char, INET_ADDRSTRLEN + 8> formatted{};
  std::snprintf(formatted.data(), formatted.size(), "%s:%d", dotted.data(),
                static_cast<int>(ntohs(peer.sin_port)));
  return Text(formatted.data());
}

AcceptStatus ClassifyAcceptError(int error) {
  switch (error) {
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
      return AcceptStatus::kNoneWaiting;
    case EMFILE:
    case ENFILE:
      return AcceptStatus::kOutOfDescriptors;
    case ECONNABORTED:
    case EINTR:
    case EPROTO:
    case EPERM:
      return AcceptStatus::kRefused;
    default:
      return AcceptStatus::kFailed;
  }
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

}  // namespace

void RaiseOpenFileLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
  if (limit.rlim_cur == limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

int OpenFileLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return INT_MAX;
  if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > INT_MAX) {
    return INT_MAX;
  }
  return static_cast<int>(limit.rlim_cur);
}

UniqueFd OpenListener(std::uint16_t port) {
  UniqueFd listener(
      ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!listener.IsValid()) return {};
  // On Linux this gives the plain bind of other systems: a restart binds at
  // once over connections still in TIME_WAIT, while a port that another
  // socket listens on is still refused.
  const int on = 1;
  ::setsockopt(listener.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(port);
  if (::bind(listener.Get(), reinterpret_cast<const sockaddr*>(&address),
             sizeof address) != 0) {
    return {};
  }
  // The kernel lowers the backlog to its largest allowed value.
  if (::listen(listener.Get(), INT_MAX) != 0) return {};
  return listener;
}

UniqueFd OpenSpareDescriptor() {
  return UniqueFd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
}

AcceptResult AcceptClient(int listener) {
  AcceptResult result;
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  result.socket =
      UniqueFd(::accept4(listener, reinterpret_cast<sockaddr*>(&peer), &length,
                         SOCK_NONBLOCK | SOCK_CLOEXEC));
  if (!result.socket.IsValid()) {
    result.status = ClassifyAcceptError(errno);
    return result;
  }
  if (peer.sin_family != AF_INET || length < sizeof peer) {
    result.status = AcceptStatus::kRefused;
    result.socket.Reset();
    return result;
  }
  result.address = FormatAddress(peer);
  if (result.address.IsEmpty()) {
    result.status = AcceptStatus::kRefused;
    result.socket.Reset();
    return result;
  }
  // Responses are written whole, so nothing is gained by holding back a
  // short tail until the previous segment is acknowledged.
  const int on = 1;
  ::setsockopt(result.socket.Get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  result.status = AcceptStatus::kAccepted;
  return result;
}

void DropOneWaiting(int listener, UniqueFd& spare) {
  spare.Reset();
  UniqueFd waiting(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
  waiting.Reset();
  spare = OpenSpareDescriptor();
}

ReadResult ReadWaiting(int socket, std::size_t limit, bool keepGoing) {
  ReadResult result;
  int waiting = 0;
  if (::ioctl(socket, FIONREAD, &waiting) != 0) {
    result.failed = true;
    return result;
  }
  const std::size_t announced = static_cast<std::size_t>(std::max(waiting, 1));
  std::size_t want = std::min(announced, limit);
  std::size_t total = 0;
  while (want > 0) {
    result.bytes.Resize(total + want);
    const ssize_t got =
        ::recv(socket, result.bytes.MutableData() + total, want, 0);
    if (got > 0) {
      total += static_cast<std::size_t>(got);
      if (total >= limit || (!keepGoing && total >= announced)) break;
      want = std::min(kFollowUpRead, limit - total);
    } else if (got == 0) {
      result.ended = true;
      break;
    } else if (errno == EINTR) {
      continue;
    } else {
      result.failed = !WouldBlock(errno);
      break;
    }
  }
  result.bytes.Resize(total);
  return result;
}

ReadResult DiscardWaiting(int socket, std::size_t limit) {
  ReadResult result;
  // Left uninitialised: only recv writes it and nothing reads it back, and
  // zero-filling it cost more than the reads themselves.
  std::array<unsigned char, 16 * 1024> sink;
  std::size_t total = 0;
  while (total < limit) {
    const ssize_t got = ::recv(socket, sink.data(), sink.size(), 0);
    if (got > 0) {
      total += static_cast<std::size_t>(got);
    } else if (got == 0) {
      result.ended = true;
      break;
    } else if (errno != EINTR) {
      result.failed = !WouldBlock(errno);
      break;
    }
  }
  return result;
}

SendResult SendPieces(int socket, std::span<const std::string_view> pieces) {
  std::array<iovec, kMaxPiecesPerSend> vectors{};
  const std::size_t count = std::min(pieces.size(), vectors.size());
  std::size_t wanted = 0;
  for (std::size_t i = 0; i < count; ++i) {
    // sendmsg only reads through iov_base.
    vectors[i].iov_base = const_cast<char*>(pieces[i].data());
    vectors[i].iov_len = pieces[i].size();
    wanted += pieces[i].size();
  }
  msghdr message{};
  message.msg_iov = vectors.data();
  message.msg_iovlen = count;
  SendResult result;
  ssize_t sent = -1;
  do {
    sent = ::sendmsg(socket, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
  } while (sent < 0 && errno == EINTR);
  if (sent < 0) {
    result.status =
        WouldBlock(errno) ? SendStatus::kPartial : SendStatus::kFailed;
    return result;
  }
  result.sent = static_cast<std::size_t>(sent);
  result.status = result.sent == wanted && count == pieces.size()
                      ? SendStatus::kAll
                      : SendStatus::kPartial;
  return result;
}

bool WaitWritable(int socket, int seconds) {
  pollfd watched{socket, POLLOUT, 0};
  const int timeout = seconds > INT_MAX / 1000 ? INT_MAX : seconds * 1000;
  int ready = 0;
  do {
    ready = ::poll(&watched, 1, timeout);
  } while (ready < 0 && errno == EINTR);
  return ready == 1 && (watched.revents & POLLOUT) != 0 &&
         (watched.revents & (POLLERR | POLLHUP)) == 0;
}

bool InputWaiting(int socket) {
  int waiting = 0;
  return ::ioctl(socket, FIONREAD, &waiting) != 0 || waiting > 0;
}

bool ShutdownSending(int socket) { return ::shutdown(socket, SHUT_WR) == 0; }

}  // namespace board
