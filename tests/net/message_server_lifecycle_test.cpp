#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "net/message_server.h"
#include "net/server_core.h"
#include "tests/net/loopback.h"

namespace board::testing {
namespace {

int OpenDescriptors() {
  int count = 0;
  DIR* dir = ::opendir("/proc/self/fd");
  while (dir != nullptr && ::readdir(dir) != nullptr) ++count;
  if (dir != nullptr) ::closedir(dir);
  return count;
}

int ListeningPort() {
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int port = FreePort();
    if (!PortTaken(port)) return port;
  }
  return 0;
}

TEST(Lifecycle, DestructionClosesEveryConnectionWithoutLeaveEvents) {
  int leaves = 0;
  const int port = ListeningPort();
  std::vector<UniqueFd> clients;
  {
    MessageServer server;
    server.SetPort(port);
    ASSERT_TRUE(server.IsListening());
    server.Bind(MessageServer::ClientLeave, [&] { ++leaves; });
    for (int i = 0; i < 3; ++i) clients.push_back(Connect(port));
    ASSERT_TRUE(
        RunUntil(server, [&] { return server.Clients().Count() == 3; }));
    // One of them has a response still kept when the server goes.
    server.SendData(server.Clients().Entries()[0].address,
                    ByteSeq(std::string(8 * 1024 * 1024, 'x')));
  }
  EXPECT_EQ(leaves, 0);
  for (const UniqueFd& client : clients) {
    Received received;
    // The kernel still delivers what it had taken; then the stream ends.
    for (int i = 0; i < 1000 && !received.ended; ++i) {
      ReadAvailable(client, received);
      if (!received.ended) ::usleep(1000);
    }
    EXPECT_TRUE(received.ended);
  }
  EXPECT_FALSE(Connect(port).IsValid());
}

class DestroyingHandler : public ::testing::TestWithParam<int> {};

TEST_P(DestroyingHandler, MayDestroyTheServer) {
  const int port = ListeningPort();
  auto server = std::make_unique<MessageServer>();
  server->SetPort(port);
  ASSERT_TRUE(server->IsListening());
  const int descriptor = server->ReadinessDescriptor();
  MessageServer* raw = server.get();
  server->Bind(GetParam(), [&] {
    raw->SendData(raw->GetClient(), Text("bye"));
    raw->CloseAfterSend(raw->GetClient());
    server.reset();
  });
  // Several clients are ready in the same turn as the one that ends it.
  std::vector<UniqueFd> clients;
  for (int i = 0; i < 4; ++i) clients.push_back(Connect(port));
  for (const UniqueFd& client : clients) Write(client, "GET / HTTP/1.1\r\n");
  for (int turn = 0; turn < 200 && server != nullptr; ++turn) {
    if (turn == 20) clients.clear();  // for the leave event
    pollfd watched{descriptor, POLLIN, 0};
    if (::poll(&watched, 1, 10) > 0) server->HandleReadiness();
  }
  EXPECT_EQ(server, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Events, DestroyingHandler,
                         ::testing::Values(MessageServer::DataArrival,
                                           MessageServer::ClientEnter,
                                           MessageServer::ClientLeave));

TEST(Lifecycle, DescriptorsComeBackAfterManyConnections) {
  const int port = ListeningPort();
  MessageServer server;
  server.SetPort(port);
  ASSERT_TRUE(server.IsListening());
  server.Bind(MessageServer::DataArrival, [&] {
    server.SendData(server.GetClient(), Text("HTTP/1.1 200 OK\r\n\r\nok"));
    server.CloseAfterSend(server.GetClient());
  });
  const int before = OpenDescriptors();
  for (int i = 0; i < 300; ++i) {
    UniqueFd client = Connect(port);
    Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(ReadToEnd(server, client).ended);
  }
  ASSERT_TRUE(RunUntil(server, [&] { return server.Clients().Count() == 0; }));
  EXPECT_EQ(OpenDescriptors(), before);
}

TEST(Lifecycle, ThousandsOfIdleConnectionsDoNotStopService) {
  constexpr int kIdle = 2000;
  const int port = ListeningPort();
  MessageServer server;
  server.SetPort(port);
  ASSERT_TRUE(server.IsListening());
  int leaves = 0;
  server.Bind(MessageServer::ClientLeave, [&] { ++leaves; });
  server.Bind(MessageServer::DataArrival,
              [&] { server.SendData(server.GetClient(), Text("ok")); });
  std::vector<UniqueFd> idle;
  for (int i = 0; i < kIdle; ++i) {
    idle.push_back(Connect(port));
    ASSERT_TRUE(idle.back().IsValid()) << i;
    if (i % 100 == 0) RunFor(server, milliseconds(0));
  }
  ASSERT_TRUE(
      RunUntil(server, [&] { return server.Clients().Count() == kIdle; }));
  UniqueFd active = Connect(port);
  Write(active, "GET /chaxun HTTP/1.1\r\n\r\n");
  Received received;
  ASSERT_TRUE(RunUntil(server, [&] {
    ReadAvailable(active, received);
    return received.bytes == "ok";
  }));
  idle.clear();
  ASSERT_TRUE(RunUntil(server, [&] { return leaves == kIdle; }));
  EXPECT_EQ(server.Clients().Count(), 1);
}

// Lowers the soft limit of open descriptors for one test.
class DescriptorLimit {
 public:
  explicit DescriptorLimit(rlim_t soft) {
    ::getrlimit(RLIMIT_NOFILE, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = soft;
    ::setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
  DescriptorLimit(const DescriptorLimit&) = delete;
  DescriptorLimit& operator=(const DescriptorLimit&) = delete;

 private:
  rlimit saved_{};
};

int HighestOpenDescriptor() {
  int highest = 0;
  DIR* dir = ::opendir("/proc/self/fd");
  while (dir != nullptr) {
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) break;
    highest = std::max(highest, std::atoi(entry->d_name));
  }
  if (dir != nullptr) ::closedir(dir);
  return highest;
}

// Opens descriptors until the limit refuses one (at most 1000).
std::vector<UniqueFd> TakeFreeDescriptors() {
  std::vector<UniqueFd> taken;
  for (int i = 0; i < 1000; ++i) {
    UniqueFd filler(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (!filler.IsValid()) break;
    taken.push_back(std::move(filler));
  }
  return taken;
}

TEST(Lifecycle, AFullDescriptorTableNeitherSpinsNorStopsService) {
  const int port = ListeningPort();
  MessageServer server;
  server.SetPort(port);
  ASSERT_TRUE(server.IsListening());
  server.Bind(MessageServer::DataArrival,
              [&] { server.SendData(server.GetClient(), Text("ok")); });
  // Client sockets are made first: connecting needs no new descriptor.
  std::vector<UniqueFd> refused;
  for (int i = 0; i < 3; ++i) {
    refused.emplace_back(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  }
  {
    DescriptorLimit limit(static_cast<rlim_t>(HighestOpenDescriptor() + 1));
    // Whatever gaps are left below the limit are filled too.
    const std::vector<UniqueFd> fillers = TakeFreeDescriptors();
    for (const UniqueFd& client : refused) {
      ASSERT_TRUE(ConnectSocket(client, port));
    }
    // Each waiting connection is taken off the queue and closed.
    for (const UniqueFd& client : refused) {
      EXPECT_TRUE(ReadToEnd(server, client).ended);
    }
    RunFor(server, milliseconds(50));
    EXPECT_FALSE(IsAwake(server));
    EXPECT_EQ(server.Clients().Count(), 0);
  }
  UniqueFd client = Connect(port);
  Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
  Received received;
  EXPECT_TRUE(RunUntil(server, [&] {
    ReadAvailable(client, received);
    return received.bytes == "ok";
  }));
}

TEST(Lifecycle, ConnectionsLeaveDescriptorsForFilesNearTheLimit) {
  MessageServer server;
  bool opened = true;
  server.Bind(MessageServer::DataArrival, [&] {
    // What a handler that reads a file needs.
    opened = UniqueFd(::open("/dev/null", O_RDONLY | O_CLOEXEC)).IsValid();
    server.SendData(server.GetClient(), Text("ok"));
    server.CloseAfterSend(server.GetClient());
  });
  std::vector<UniqueFd> clients;
  for (int i = 0; i < 8; ++i) {
    clients.emplace_back(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  }
  const int port = ListeningPort();
  DescriptorLimit limit(static_cast<rlim_t>(HighestOpenDescriptor() + 64));
  server.SetPort(port);  // the server learns the limit as it listens
  ASSERT_TRUE(server.IsListening());
  // Every descriptor is taken but the top six.
  std::vector<UniqueFd> fillers = TakeFreeDescriptors();
  ASSERT_GT(fillers.size(), 6u);
  fillers.resize(fillers.size() - 6);
  for (const UniqueFd& client : clients) {
    ASSERT_TRUE(ConnectSocket(client, port));
    RunFor(server, milliseconds(5));
  }
  const int kept = server.Clients().Count();
  EXPECT_EQ(kept, 6 - ServerCore::kReservedDescriptors);
  for (const UniqueFd& client : clients) {
    Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
  }
  int answered = 0;
  for (const UniqueFd& client : clients) {
    const Received received = ReadToEnd(server, client, milliseconds(300));
    answered += received.bytes == "ok" ? 1 : 0;
  }
  EXPECT_EQ(answered, kept);
  EXPECT_TRUE(opened);
}

TEST(Lifecycle, AHandlerMayMoveThePort) {
  const int port = ListeningPort();
  MessageServer server;
  server.SetPort(port);
  ASSERT_TRUE(server.IsListening());
  const int next = ListeningPort();
  server.Bind(MessageServer::DataArrival, [&] {
    server.SetPort(next);
    server.SendData(server.GetClient(), Text("moved"));
  });
  UniqueFd first = Connect(port);
  UniqueFd second = Connect(port);
  Write(first, "GET / HTTP/1.1\r\n\r\n");
  Received received;
  ASSERT_TRUE(RunUntil(server, [&] {
    ReadAvailable(first, received);
    return received.bytes == "moved";
  }));
  EXPECT_TRUE(server.IsListening());
  EXPECT_TRUE(Connect(next).IsValid());
  // The second was accepted before the move and is still served.
  Write(second, "GET / HTTP/1.1\r\n\r\n");
  Received other;
  EXPECT_TRUE(RunUntil(server, [&] {
    ReadAvailable(second, other);
    return other.bytes == "moved";
  }));
}

}  // namespace
}  // namespace board::testing
