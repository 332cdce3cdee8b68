#include <gtest/gtest.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "net/message_server.h"
#include "tests/net/loopback.h"

namespace board::testing {
namespace {

ByteSeq Pattern(std::size_t size) {
  ByteSeq bytes;
  bytes.Resize(size);
  for (std::size_t i = 0; i < size; ++i) {
    bytes.MutableData()[i] =
        static_cast<unsigned char>((i * 7 + i / 4096) & 0xFF);
  }
  return bytes;
}

// Answers every arrival with the response, then maybe asks for the close.
class Responder : public LoopbackTest {
 protected:
  void Answer(ByteSeq response, bool close) {
    response_ = std::move(response);
    server_.Bind(MessageServer::DataArrival, [this, close] {
      sent_.push_back(server_.SendData(server_.GetClient(), response_));
      if (close) server_.CloseAfterSend(server_.GetClient());
    });
  }

  ByteSeq response_;
  std::vector<bool> sent_;
  int leaves_ = 0;
};

TEST_F(Responder, ALargeResponseToASlowReaderArrivesWhole) {
  const ByteSeq body = Pattern(16 * 1024 * 1024);
  Answer(body, false);
  UniqueFd client = Connect(port_);
  std::atomic<bool> done = false;
  std::string received;
  std::thread reader([&] {
    std::vector<char> chunk(64 * 1024);
    while (received.size() < body.Size()) {
      const ssize_t got = ::recv(client.Get(), chunk.data(), chunk.size(), 0);
      if (got <= 0) break;
      received.append(chunk.data(), static_cast<std::size_t>(got));
      if (received.size() < 2 * 1024 * 1024) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    done = true;
  });
  Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
  EXPECT_TRUE(RunUntil(
      server_, [&] { return done.load(); }, milliseconds(20000)));
  ::shutdown(client.Get(), SHUT_RDWR);
  reader.join();
  ASSERT_EQ(sent_, std::vector<bool>{true});
  EXPECT_TRUE(received == body.View()) << received.size() << " bytes";
}

TEST_F(Responder, OutputBeyondTheCapClosesTheConnection) {
  UniqueFd client = Connect(port_);
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientEnter, 1));
  const Text address = AddressOf(client);
  const ByteSeq chunk = Pattern(8 * 1024 * 1024);
  // The client reads nothing, so all but what the kernel buffers is kept.
  int accepted = 0;
  while (accepted < 20 && server_.SendData(address, chunk)) ++accepted;
  EXPECT_GE(accepted, 7);
  EXPECT_LT(accepted, 20);
  EXPECT_FALSE(server_.SendData(address, chunk));
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientLeave, 1));
  EXPECT_EQ(server_.Clients().Count(), 0);
  EXPECT_TRUE(ReadToEnd(server_, client, milliseconds(20000)).ended);
}

TEST_F(Responder, AWaitForASocketThatTakesNothingFails) {
  UniqueFd client = Connect(port_);
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientEnter, 1));
  const Text address = AddressOf(client);
  // Fill the kernel's buffers; the rest is kept.
  ASSERT_TRUE(server_.SendData(address, Pattern(16 * 1024 * 1024)));
  EXPECT_FALSE(server_.SendData(address, ByteSeq("x"), 0));
  EXPECT_TRUE(server_.SendData(address, ByteSeq("x")));
}

struct PromptCloseCase {
  const char* name;
  std::size_t responseSize;
};

void PrintTo(const PromptCloseCase& c, std::ostream* out) { *out << c.name; }

class NothingUnreadAtClose
    : public Responder,
      public ::testing::WithParamInterface<PromptCloseCase> {};

TEST_P(NothingUnreadAtClose, EndsAndLeavesWithoutWaitingForThePeer) {
  const ByteSeq body = Pattern(GetParam().responseSize);
  Answer(body, true);
  UniqueFd client = Connect(port_);
  const Text address = AddressOf(client);
  Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
  const Received received = ReadToEnd(server_, client, milliseconds(10000));
  EXPECT_TRUE(received.ended);
  EXPECT_FALSE(received.reset);
  EXPECT_TRUE(received.bytes == body.View()) << received.bytes.size();
  // The client still holds its end open, so the leave cannot have come from
  // its close: the server closed at once and said so in the same turn.
  EXPECT_EQ(log_.Count(MessageServer::ClientLeave), 1);
  EXPECT_EQ(server_.Clients().Count(), 0);
  EXPECT_FALSE(server_.SendData(address, ByteSeq("more")));
  EXPECT_EQ(sent_, std::vector<bool>{true});
}

INSTANTIATE_TEST_SUITE_P(
    Responses, NothingUnreadAtClose,
    // The large one is still kept when the close is asked for, so the close
    // falls due only once the last of it went out.
    ::testing::Values(PromptCloseCase{"Small", 100},
                      PromptCloseCase{"Large", 3 * 1024 * 1024}),
    [](const ::testing::TestParamInfo<PromptCloseCase>& info) {
      return std::string(info.param.name);
    });

// Waits until the server's kernel has taken everything the client wrote, so
// that the bytes are unread on the server's side when its handler returns.
void WaitUntilTaken(const UniqueFd& client) {
  for (int i = 0; i < 1000; ++i) {
    int unacknowledged = 0;
    if (::ioctl(client.Get(), SIOCOUTQ, &unacknowledged) != 0) return;
    if (unacknowledged == 0) return;
    ::usleep(1000);
  }
}

// Bytes still unread when the close falls due would turn a close into a
// reset, so the server shuts its side and waits for the peer instead.
class UnreadInputAtClose : public Responder,
                           public ::testing::WithParamInterface<bool> {};

TEST_P(UnreadInputAtClose, ShutsItsSideAndWaitsForThePeer) {
  const bool peerCloses = GetParam();
  UniqueFd client = Connect(port_);
  const Text address = AddressOf(client);
  server_.Bind(MessageServer::DataArrival, [&] {
    Write(client, "GET /next HTTP/1.1\r\n\r\n");
    WaitUntilTaken(client);
    sent_.push_back(server_.SendData(server_.GetClient(), Text("answer")));
    server_.CloseAfterSend(server_.GetClient());
  });
  Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
  const Received received = ReadToEnd(server_, client);
  EXPECT_TRUE(received.ended);
  EXPECT_FALSE(received.reset);
  EXPECT_EQ(received.bytes, "answer");
  // Still registered until the peer closes too; what it sends is dropped.
  EXPECT_EQ(log_.Count(MessageServer::ClientLeave), 0);
  EXPECT_EQ(server_.Clients().Count(), 1);
  EXPECT_FALSE(server_.SendData(address, ByteSeq("more")));
  Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
  RunFor(server_, milliseconds(30));
  EXPECT_EQ(sent_.size(), 1u);
  // A peer that stays is given up on after two seconds.
  if (peerCloses) client.Reset();
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientLeave, 1, milliseconds(5000)));
  EXPECT_EQ(server_.Clients().Count(), 0);
  EXPECT_EQ(sent_, std::vector<bool>{true});
}

INSTANTIATE_TEST_SUITE_P(Peers, UnreadInputAtClose, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Closes" : "Stays");
                         });

TEST_F(Responder, CloseAfterSendBeforeTheSendStillSendsIt) {
  server_.Bind(MessageServer::DataArrival, [&] {
    server_.CloseAfterSend(server_.GetClient());
    server_.SendData(server_.GetClient(), Text("late but sent"));
  });
  UniqueFd client = Connect(port_);
  Write(client, "GET / HTTP/1.1\r\n\r\n");
  const Received received = ReadToEnd(server_, client);
  EXPECT_EQ(received.bytes, "late but sent");
  EXPECT_TRUE(received.ended);
}

// The peer ended its side before the server read the request: the request,
// the close asked for during it and the end of stream all meet in one drain.
struct HalfCloseCase {
  const char* name;
  std::size_t responseSize;
  bool closeAfterSend;
};

void PrintTo(const HalfCloseCase& c, std::ostream* out) { *out << c.name; }

class HalfClosedPeer : public Responder,
                       public ::testing::WithParamInterface<HalfCloseCase> {};

TEST_P(HalfClosedPeer, GetsTheWholeResponseAndLeavesOnce) {
  const HalfCloseCase& c = GetParam();
  const ByteSeq body = Pattern(c.responseSize);
  Answer(body, c.closeAfterSend);
  server_.Bind(MessageServer::ClientLeave, [&] { ++leaves_; });
  UniqueFd client = Connect(port_);
  Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
  ::shutdown(client.Get(), SHUT_WR);
  const Received received = ReadToEnd(server_, client, milliseconds(10000));
  EXPECT_TRUE(received.ended);
  EXPECT_TRUE(received.bytes == body.View()) << received.bytes.size();
  RunFor(server_, milliseconds(50));
  EXPECT_EQ(leaves_, 1);
  EXPECT_EQ(server_.Clients().Count(), 0);
  EXPECT_FALSE(IsAwake(server_));
}

INSTANTIATE_TEST_SUITE_P(
    Responses, HalfClosedPeer,
    ::testing::Values(HalfCloseCase{"Small", 100, false},
                      HalfCloseCase{"SmallClosing", 100, true},
                      HalfCloseCase{"Large", 8 * 1024 * 1024, false},
                      HalfCloseCase{"LargeClosing", 8 * 1024 * 1024, true}),
    [](const ::testing::TestParamInfo<HalfCloseCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
}  // namespace board::testing
