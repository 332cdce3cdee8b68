#include "tests/ui/loopback.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cerrno>
#include <optional>

namespace board::testing {
namespace {

// Closes the descriptor when the test is done with it.
class Socket {
 public:
  Socket() : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  int Fd() const { return fd_; }

 private:
  int fd_;
};

sockaddr_in Address(in_addr_t host, int port) {
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(host);
  return address;
}

bool Connect(const Socket& socket, int port) {
  const sockaddr_in address = Address(INADDR_LOOPBACK, port);
  return connect(socket.Fd(), reinterpret_cast<const sockaddr*>(&address),
                 sizeof address) == 0;
}

// The length of a whole response in received, if it is all there.
std::optional<qsizetype> ResponseLength(const QByteArray& received) {
  const qsizetype headEnd = received.indexOf("\r\n\r\n");
  if (headEnd < 0) return std::nullopt;
  const QByteArray marker = "Content-Length: ";
  const qsizetype at = received.indexOf(marker);
  if (at < 0 || at > headEnd) return std::nullopt;
  const qsizetype lineEnd = received.indexOf("\r\n", at);
  bool ok = false;
  const qsizetype length =
      received.mid(at + marker.size(), lineEnd - at - marker.size())
          .toLongLong(&ok);
  if (!ok) return std::nullopt;
  return headEnd + 4 + length + 2;
}

}  // namespace

PortState ProbePort(int port) {
  Socket probe;
  const int yes = 1;
  setsockopt(probe.Fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  const sockaddr_in address = Address(INADDR_ANY, port);
  if (bind(probe.Fd(), reinterpret_cast<const sockaddr*>(&address),
           sizeof address) == 0 &&
      listen(probe.Fd(), 1) == 0) {
    return PortState::Free;
  }
  return errno == EACCES ? PortState::NotAllowed : PortState::Taken;
}

int FreePort() {
  Socket probe;
  const sockaddr_in address = Address(INADDR_LOOPBACK, 0);
  if (bind(probe.Fd(), reinterpret_cast<const sockaddr*>(&address),
           sizeof address) != 0) {
    return -1;
  }
  sockaddr_in bound = {};
  socklen_t size = sizeof bound;
  getsockname(probe.Fd(), reinterpret_cast<sockaddr*>(&bound), &size);
  return ntohs(bound.sin_port);
}

bool AcceptsConnections(int port) {
  Socket client;
  return Connect(client, port);
}

bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds limit) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limit.count()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    usleep(1000);
  }
  return true;
}

QByteArray Exchange(int port, const QByteArray& request,
                    std::chrono::milliseconds limit) {
  Socket client;
  if (!Connect(client, port)) return {};
  fcntl(client.Fd(), F_SETFL, O_NONBLOCK);
  if (send(client.Fd(), request.constData(),
           static_cast<std::size_t>(request.size()),
           MSG_NOSIGNAL) != request.size()) {
    return {};
  }
  QByteArray received;
  bool ended = false;
  PumpUntil(
      [&] {
        char buffer[4096];
        const ssize_t got = recv(client.Fd(), buffer, sizeof buffer, 0);
        if (got > 0) received.append(buffer, got);
        if (got == 0) ended = true;
        const std::optional<qsizetype> whole = ResponseLength(received);
        return ended || (whole && received.size() >= *whole);
      },
      limit);
  return received;
}

OpenConnection::OpenConnection(int port)
    : fd_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
  const sockaddr_in address = Address(INADDR_LOOPBACK, port);
  connected_ = connect(fd_, reinterpret_cast<const sockaddr*>(&address),
                       sizeof address) == 0;
}

OpenConnection::~OpenConnection() {
  if (fd_ >= 0) close(fd_);
}

bool OpenConnection::WasClosedByPeer(std::chrono::milliseconds limit) {
  pollfd watched = {fd_, POLLIN, 0};
  if (poll(&watched, 1, static_cast<int>(limit.count())) <= 0) return false;
  char byte;
  const ssize_t got = recv(fd_, &byte, 1, MSG_DONTWAIT);
  return got == 0 || (got < 0 && errno == ECONNRESET);
}

}  // namespace board::testing
