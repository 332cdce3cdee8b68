#include <gtest/gtest.h>

#include <memory>

#include "net/message_server.h"
#include "net/unique_fd.h"
#include "tests/net/loopback.h"

namespace board::testing {
namespace {

TEST(DefaultPort, AClientConnectsRightAfterCreation) {
  if (PortTaken(MessageServer::kDefaultPort)) {
    GTEST_SKIP() << "port 19730 is in use on this machine";
  }
  MessageServer server;
  // Another test may have taken the port between the probe and now.
  if (!server.IsListening()) GTEST_SKIP() << "port 19730 was taken meanwhile";
  EventLog log(server);
  EXPECT_EQ(server.GetPort(), MessageServer::kDefaultPort);
  UniqueFd client = Connect(MessageServer::kDefaultPort);
  ASSERT_TRUE(client.IsValid());
  ASSERT_TRUE(log.WaitFor(MessageServer::ClientEnter, 1));
  EXPECT_EQ(log.All()[0].client, AddressOf(client));
}

TEST(DefaultPort, OnlyTheLowSixteenBitsReachTheSocket) {
  constexpr int kLowBits = 70000 - 65536;
  if (PortTaken(kLowBits)) GTEST_SKIP() << "port 4464 is in use";
  MessageServer server;
  server.SetPort(70000);
  if (!server.IsListening()) GTEST_SKIP() << "port 4464 was taken meanwhile";
  EXPECT_EQ(server.GetPort(), 70000);
  EXPECT_TRUE(Connect(kLowBits).IsValid());
}

TEST(Ports, ValuesBelowOneBecomeOne) {
  MessageServer server;
  for (int value : {0, -5}) {
    server.SetPort(value);
    EXPECT_EQ(server.GetPort(), 1) << value;
  }
}

using PortMoves = LoopbackTest;

TEST_F(PortMoves, ASecondServerOnATakenPortDoesNotListen) {
  MessageServer second;
  second.SetPort(port_);
  EXPECT_FALSE(second.IsListening());
  EXPECT_EQ(second.GetPort(), port_);
  // The first still serves.
  EXPECT_TRUE(Connect(port_).IsValid());
  EXPECT_TRUE(log_.WaitFor(MessageServer::ClientEnter, 1));
}

TEST_F(PortMoves, TheSameNumberDoesNotRetryAnotherDoes) {
  MessageServer second;
  second.SetPort(port_);
  ASSERT_FALSE(second.IsListening());
  server_.SetPort(FreePort());  // the port is free again
  second.SetPort(port_);
  EXPECT_FALSE(second.IsListening());
  const int other = FreePort();
  second.SetPort(other);
  EXPECT_TRUE(second.IsListening());
  EXPECT_TRUE(Connect(other).IsValid());
}

TEST_F(PortMoves, ARestartBindsAtOnceAfterConnectionsWereClosed) {
  // Closed connections leave TIME_WAIT behind on the port.
  server_.Bind(MessageServer::DataArrival, [&] {
    server_.SendData(server_.GetClient(), Text("bye"));
    server_.CloseAfterSend(server_.GetClient());
  });
  for (int i = 0; i < 3; ++i) {
    UniqueFd client = Connect(port_);
    Write(client, "GET / HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(ReadToEnd(server_, client).ended);
  }
  ASSERT_TRUE(
      RunUntil(server_, [&] { return server_.Clients().Count() == 0; }));
  server_.SetPort(FreePort());
  MessageServer restarted;
  restarted.SetPort(port_);
  EXPECT_TRUE(restarted.IsListening());
}

TEST_F(PortMoves, AClientOfTheOldPortIsStillServed) {
  server_.Bind(MessageServer::DataArrival,
               [&] { server_.SendData(server_.GetClient(), Text("ok")); });
  UniqueFd old = Connect(port_);
  RunFor(server_, milliseconds(20));
  const int oldPort = port_;
  const int newPort = FreePort();
  server_.SetPort(newPort);
  ASSERT_TRUE(server_.IsListening());

  Write(old, "GET /chaxun HTTP/1.1\r\n\r\n");
  Received received;
  ASSERT_TRUE(RunUntil(server_, [&] {
    ReadAvailable(old, received);
    return received.bytes == "ok";
  }));
  EXPECT_FALSE(Connect(oldPort).IsValid());
  EXPECT_TRUE(Connect(newPort).IsValid());
}

TEST_F(PortMoves, WhileNotListeningClientsWaitQuietlyAndAreServedAfter) {
  UniqueFd client = Connect(port_);
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientEnter, 1));
  MessageServer holder;  // takes a port so that the move fails
  const int taken = FreePort();
  holder.SetPort(taken);
  ASSERT_TRUE(holder.IsListening());
  server_.SetPort(taken);
  ASSERT_FALSE(server_.IsListening());

  Write(client, "GET /chaxun HTTP/1.1\r\n\r\n");
  UniqueFd leaving = Connect(port_);  // refused: nothing listens there
  EXPECT_FALSE(leaving.IsValid());
  RunFor(server_, milliseconds(50));
  EXPECT_EQ(log_.Count(MessageServer::DataArrival), 0);
  // Nothing wakes the loop, so ignored readiness cannot spin.
  EXPECT_FALSE(IsAwake(server_));

  server_.SetPort(FreePort());
  ASSERT_TRUE(server_.IsListening());
  ASSERT_TRUE(log_.WaitFor(MessageServer::DataArrival, 1));
  EXPECT_EQ(log_.DataOf(AddressOf(client)), "GET /chaxun HTTP/1.1\r\n\r\n");
}

TEST_F(PortMoves, ACloseWhileNotListeningIsHandledOnceListeningAgain) {
  UniqueFd client = Connect(port_);
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientEnter, 1));
  MessageServer holder;
  const int taken = FreePort();
  holder.SetPort(taken);
  server_.SetPort(taken);
  ASSERT_FALSE(server_.IsListening());
  client.Reset();
  RunFor(server_, milliseconds(50));
  EXPECT_EQ(server_.Clients().Count(), 1);
  EXPECT_FALSE(IsAwake(server_));
  server_.SetPort(FreePort());
  ASSERT_TRUE(log_.WaitFor(MessageServer::ClientLeave, 1));
  EXPECT_EQ(server_.Clients().Count(), 0);
}

}  // namespace
}  // namespace board::testing
