#include <gtest/gtest.h>
#include <sys/socket.h>

#include <ostream>
#include <string>
#include <thread>

#include "net/message_server.h"
#include "tests/net/loopback.h"

namespace board::testing {
namespace {

using Events = LoopbackTest;

TEST_F(Events, EnterDataLeaveCarryTheClientAndTheBytes) {
  UniqueFd client = Connect(port_);
  ASSERT_TRUE(client.IsValid());
  const Text address = AddressOf(client);
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientEnter, 1));
  Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
  ASSERT_TRUE(log_.WaitFor(MessageServer::DataArrival, 1));
  client.Reset();
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientLeave, 1));

  ASSERT_EQ(log_.All().size(), 3u);
  EXPECT_EQ(log_.All()[0].event, MessageServer::ClientEnter);
  EXPECT_EQ(log_.All()[0].client, address);
  EXPECT_EQ(log_.All()[0].data, "");
  EXPECT_EQ(log_.All()[1].event, MessageServer::DataArrival);
  EXPECT_EQ(log_.All()[1].client, address);
  EXPECT_EQ(log_.All()[1].data, "GET /chaxun HTTP/1.1\r\n\r\n");
  EXPECT_EQ(log_.All()[2].event, MessageServer::ClientLeave);
  EXPECT_EQ(log_.All()[2].client, address);
  EXPECT_EQ(server_.Clients().Count(), 0);
  // Outside an event there is nothing to ask for.
  EXPECT_EQ(server_.GetClient(), Text());
  EXPECT_TRUE(server_.GetData().IsEmpty());
}

TEST_F(Events, SendingWorksDuringEnterButNotToTheDeparted) {
  bool sentOnEnter = false;
  bool sentOnLeave = true;
  server_.Bind(MessageServer::ClientEnter, [&] {
    sentOnEnter = server_.SendData(server_.GetClient(), Text("hello"));
  });
  server_.Bind(MessageServer::ClientLeave, [&] {
    sentOnLeave = server_.SendData(server_.GetClient(), Text("late"));
  });
  UniqueFd client = Connect(port_);
  Received received;
  ASSERT_TRUE(RunUntil(server_, [&] {
    ReadAvailable(client, received);
    return received.bytes.size() >= 5;
  }));
  EXPECT_TRUE(sentOnEnter);
  EXPECT_EQ(received.bytes, "hello");
  client.Reset();
  ASSERT_TRUE(
      RunUntil(server_, [&] { return server_.Clients().Count() == 0; }));
  EXPECT_FALSE(sentOnLeave);
}

TEST_F(Events, SendDataResults) {
  UniqueFd client = Connect(port_);
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientEnter, 1));
  const Text address = AddressOf(client);

  EXPECT_FALSE(server_.SendData(Text(), ByteSeq("x")));
  EXPECT_FALSE(server_.SendData(Text("127.0.0.1:1"), ByteSeq("x")));
  // A prefix of a known address is another address.
  EXPECT_FALSE(
      server_.SendData(Text(address.View().substr(0, 10)), ByteSeq("x")));
  EXPECT_TRUE(server_.SendData(address, ByteSeq()));
  EXPECT_TRUE(server_.SendData(address, ByteSeq(std::string_view("a\0b", 3))));
  EXPECT_TRUE(server_.SendData(address, Text("cd"), 1));

  Received received;
  RunFor(server_, milliseconds(50));
  ReadAvailable(client, received);
  // The empty send added nothing, the zero byte went out as it is.
  EXPECT_EQ(received.bytes, std::string("a\0bcd", 5));
}

TEST_F(Events, AClientAddressIsDottedAddressColonPort) {
  UniqueFd client = Connect(port_);
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientEnter, 1));
  const Text address = log_.All()[0].client;
  EXPECT_EQ(address, AddressOf(client));
  ASSERT_EQ(server_.Clients().Count(), 1);
  EXPECT_EQ(server_.Clients().Entries()[0].address, address);
  EXPECT_EQ(address.View().substr(0, 10), "127.0.0.1:");
}

// Pieces after the request line are judged each on its own; pieces of the
// request line itself are joined.
struct ArrivalCase {
  const char* name;
  std::vector<std::string> pieces;  // written with a pause between them
  std::vector<std::string> arrivals;
};

void PrintTo(const ArrivalCase& c, std::ostream* out) { *out << c.name; }

class Arrivals : public LoopbackTest,
                 public ::testing::WithParamInterface<ArrivalCase> {};

TEST_P(Arrivals, AreCutAndJoinedAtTheRequestLine) {
  const ArrivalCase& c = GetParam();
  UniqueFd client = Connect(port_);
  for (const std::string& piece : c.pieces) {
    Write(client, piece);
    RunFor(server_, milliseconds(80));
  }
  ASSERT_TRUE(log_.WaitFor(MessageServer::DataArrival,
                           static_cast<int>(c.arrivals.size())));
  RunFor(server_, milliseconds(50));
  std::vector<std::string> arrivals;
  for (const Raised& raised : log_.All()) {
    if (raised.event == MessageServer::DataArrival) {
      arrivals.push_back(raised.data);
    }
  }
  EXPECT_EQ(arrivals, c.arrivals);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, Arrivals,
    ::testing::Values(
        ArrivalCase{"AfterTheRequestLine",
                    {"GET /fabu=a HTTP/1.1\r\n", "Host: x\r\n\r\n"},
                    {"GET /fabu=a HTTP/1.1\r\n", "Host: x\r\n\r\n"}},
        ArrivalCase{"InsideTheRequestLine",
                    {"GET /fabu=ab", "cd HTTP/1.1\r\n\r\n"},
                    {"GET /fabu=abcd HTTP/1.1\r\n\r\n"}},
        ArrivalCase{"BetweenCarriageReturnAndLineFeed",
                    {"GET /chaxun HTTP/1.1\r", "\nHost: x\r\n\r\n"},
                    {"GET /chaxun HTTP/1.1\r\nHost: x\r\n\r\n"}},
        ArrivalCase{"InThreePieces",
                    {"GE", "T /shan", "chu HTTP/1.1\r\n", "\r\n"},
                    {"GET /shanchu HTTP/1.1\r\n", "\r\n"}},
        ArrivalCase{"LaterRequestsOnTheSameConnection",
                    {"GET /chaxun HTTP/1.1\r\n\r\n", "GET /chax",
                     "un HTTP/1.1\r\n\r\n"},
                    {"GET /chaxun HTTP/1.1\r\n\r\n", "GET /chax",
                     "un HTTP/1.1\r\n\r\n"}}),
    [](const ::testing::TestParamInfo<ArrivalCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(Events, SeveralThousandBytesSentAtOnceAreOneArrival) {
  std::string request = "GET /fabu=" + std::string(6000, 'x') + " HTTP/1.1\r\n";
  request += "Host: x\r\n\r\n";
  UniqueFd client = Connect(port_);
  Write(client, request);
  ASSERT_TRUE(log_.WaitFor(MessageServer::DataArrival, 1));
  RunFor(server_, milliseconds(50));
  EXPECT_EQ(log_.Count(MessageServer::DataArrival), 1);
  EXPECT_EQ(log_.DataOf(AddressOf(client)), request);
}

TEST_F(Events, OneArrivalHoldsAtMostOneMebibyte) {
  std::string request = "GET /fabu=x HTTP/1.1\r\n";
  request += std::string(3 * 1024 * 1024, 'y');
  UniqueFd client = Connect(port_);
  const Text address = AddressOf(client);
  std::thread writer([&] { Write(client, request); });
  const bool whole = RunUntil(
      server_, [&] { return log_.DataOf(address).size() >= request.size(); });
  writer.join();
  ASSERT_TRUE(whole);
  EXPECT_TRUE(log_.DataOf(address) == request);
  EXPECT_GE(log_.Count(MessageServer::DataArrival), 3);
  for (const Raised& raised : log_.All()) {
    EXPECT_LE(raised.data.size(), 1024u * 1024u);
  }
}

TEST_F(Events, AMebibyteWithoutALineEndIsDroppedAndTheConnectionClosed) {
  UniqueFd client = Connect(port_);
  std::thread writer([&] {
    const std::string noLineEnd(1024 * 1024 + 4096, 'z');
    // The server may close before everything is written.
    ::send(client.Get(), noLineEnd.data(), noLineEnd.size(), MSG_NOSIGNAL);
  });
  const bool left = log_.WaitFor(MessageServer::ClientLeave, 1);
  writer.join();
  ASSERT_TRUE(left);
  EXPECT_EQ(log_.Count(MessageServer::DataArrival), 0);
  EXPECT_EQ(server_.Clients().Count(), 0);
}

TEST_F(Events, ABareRequestLineIsHandedOnAfterAPause) {
  UniqueFd client = Connect(port_);
  Write(client, "GET /chaxun");
  ASSERT_TRUE(log_.WaitFor(MessageServer::DataArrival, 1));
  EXPECT_EQ(log_.DataOf(AddressOf(client)), "GET /chaxun");
  // What follows is an arrival of its own.
  Write(client, " more");
  ASSERT_TRUE(log_.WaitFor(MessageServer::DataArrival, 2));
  EXPECT_EQ(log_.All().back().data, " more");
}

TEST_F(Events, APeerThatEndsItsSideGetsWhatItSentFirstThenLeaves) {
  UniqueFd client = Connect(port_);
  const Text address = AddressOf(client);
  Write(client, "GET /fabu=half");
  ::shutdown(client.Get(), SHUT_WR);
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientLeave, 1));
  ASSERT_EQ(log_.All().size(), 3u);
  EXPECT_EQ(log_.All()[1].event, MessageServer::DataArrival);
  EXPECT_EQ(log_.All()[1].data, "GET /fabu=half");
  EXPECT_EQ(log_.All()[2].event, MessageServer::ClientLeave);
  EXPECT_EQ(log_.All()[2].client, address);
}

TEST_F(Events, AResetIsAClose) {
  UniqueFd client = Connect(port_);
  Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
  ASSERT_TRUE(log_.WaitFor(MessageServer::DataArrival, 1));
  Reset(client);
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientLeave, 1));
  EXPECT_EQ(server_.Clients().Count(), 0);
}

TEST_F(Events, AResetWithAnAnswerUnreadIsAClose) {
  // The peer leaves with a response unread and a request unanswered, as
  // some download tools do.
  server_.Bind(MessageServer::DataArrival,
               [&] { server_.SendData(server_.GetClient(), Text("answer")); });
  UniqueFd client = Connect(port_);
  Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
  RunFor(server_, milliseconds(50));
  Reset(client);
  ASSERT_TRUE(
      RunUntil(server_, [&] { return server_.Clients().Count() == 0; }));
  EXPECT_FALSE(IsAwake(server_));
}

}  // namespace
}  // namespace board::testing
