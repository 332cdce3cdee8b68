#include "tests/net/loopback.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>

namespace board::testing {
namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return address;
}

}  // namespace

bool ConnectSocket(const UniqueFd& client, int port) {
  const sockaddr_in address = Loopback(port);
  return ::connect(client.Get(), reinterpret_cast<const sockaddr*>(&address),
                   sizeof address) == 0;
}

int FreePort() {
  UniqueFd probe(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (::bind(probe.Get(), reinterpret_cast<sockaddr*>(&address),
             sizeof address) != 0) {
    return 0;
  }
  socklen_t length = sizeof address;
  ::getsockname(probe.Get(), reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

bool PortTaken(int port) {
  UniqueFd probe(::socket(AF_INET, SOCK_STREAM, 0));
  const int on = 1;
  ::setsockopt(probe.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  return ::bind(probe.Get(), reinterpret_cast<sockaddr*>(&address),
                sizeof address) != 0 ||
         ::listen(probe.Get(), 1) != 0;
}

UniqueFd Connect(int port) {
  UniqueFd client(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in address = Loopback(port);
  if (::connect(client.Get(), reinterpret_cast<const sockaddr*>(&address),
                sizeof address) != 0) {
    return {};
  }
  return client;
}

Text AddressOf(const UniqueFd& client) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ::getsockname(client.Get(), reinterpret_cast<sockaddr*>(&address), &length);
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), "127.0.0.1:%d",
                static_cast<int>(ntohs(address.sin_port)));
  return Text(text.data());
}

void Write(const UniqueFd& client, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent =
        ::send(client.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    ASSERT_GT(sent, 0) << "errno " << errno;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

void Reset(UniqueFd& client) {
  const linger abortive{1, 0};
  ::setsockopt(client.Get(), SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
  client.Reset();
}

bool RunUntil(MessageServer& server, const std::function<bool()>& done,
              milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    pollfd watched{server.ReadinessDescriptor(), POLLIN, 0};
    if (::poll(&watched, 1, 5) > 0) server.HandleReadiness();
  }
  return true;
}

void RunFor(MessageServer& server, milliseconds time) {
  RunUntil(
      server, [] { return false; }, time);
}

bool IsAwake(const MessageServer& server) {
  pollfd watched{server.ReadinessDescriptor(), POLLIN, 0};
  return ::poll(&watched, 1, 0) > 0;
}

void ReadAvailable(const UniqueFd& client, Received& into) {
  std::array<char, 64 * 1024> chunk{};
  while (!into.ended) {
    const ssize_t got =
        ::recv(client.Get(), chunk.data(), chunk.size(), MSG_DONTWAIT);
    if (got > 0) {
      into.bytes.append(chunk.data(), static_cast<std::size_t>(got));
    } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
      into.reset = got < 0;
      into.ended = true;
    } else {
      return;
    }
  }
}

Received ReadToEnd(MessageServer& server, const UniqueFd& client,
                   milliseconds timeout) {
  Received received;
  RunUntil(
      server,
      [&] {
        ReadAvailable(client, received);
        return received.ended;
      },
      timeout);
  return received;
}

EventLog::EventLog(MessageServer& server) : server_(server) {
  for (int event : {MessageServer::DataArrival, MessageServer::ClientEnter,
                    MessageServer::ClientLeave}) {
    server.Bind(event, [this, event] {
      raised_.push_back(Raised{event, server_.GetClient(),
                               std::string(server_.GetData().View())});
    });
  }
}

int EventLog::Count(int event) const {
  int count = 0;
  for (const Raised& raised : raised_) count += raised.event == event ? 1 : 0;
  return count;
}

std::string EventLog::DataOf(const Text& client) const {
  std::string data;
  for (const Raised& raised : raised_) {
    if (raised.event == MessageServer::DataArrival && raised.client == client) {
      data += raised.data;
    }
  }
  return data;
}

bool EventLog::WaitFor(int event, int count, milliseconds timeout) {
  return RunUntil(
      server_, [&] { return Count(event) >= count; }, timeout);
}

void LoopbackTest::SetUp() {
  for (int attempt = 0; attempt < 5; ++attempt) {
    port_ = FreePort();
    server_.SetPort(port_);
    if (server_.IsListening()) return;
  }
  FAIL() << "no free port to listen on";
}

}  // namespace board::testing
