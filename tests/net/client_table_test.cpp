#include "net/client_table.h"

#include <gtest/gtest.h>

namespace board {
namespace {

TEST(ClientTable, FindsBySocketAndAddressAfterRemovalsInAnyOrder) {
  ClientTable table;
  for (int socket = 10; socket < 20; ++socket) {
    table.Add(socket, Text(("10.0.0.1:" + std::to_string(socket)).c_str()));
  }
  // Removing from the middle moves another entry into the gap; its indexes
  // must follow it.
  for (int socket : {12, 19, 10, 15}) {
    Text removed;
    ASSERT_TRUE(table.RemoveSocket(socket, &removed));
    EXPECT_EQ(removed, Text(("10.0.0.1:" + std::to_string(socket)).c_str()));
    EXPECT_FALSE(table.RemoveSocket(socket));
  }
  EXPECT_EQ(table.Count(), 6);
  for (int socket : {11, 13, 14, 16, 17, 18}) {
    const Text address(("10.0.0.1:" + std::to_string(socket)).c_str());
    const ClientEntry* bySocket = table.FindBySocket(socket);
    ASSERT_NE(bySocket, nullptr) << socket;
    EXPECT_EQ(bySocket->address, address);
    const ClientEntry* byAddress = table.FindByAddress(address);
    ASSERT_NE(byAddress, nullptr) << socket;
    EXPECT_EQ(byAddress->socket, socket);
  }
  EXPECT_EQ(table.FindBySocket(12), nullptr);
  EXPECT_EQ(table.FindByAddress(Text("10.0.0.1:12")), nullptr);
  EXPECT_EQ(table.FindByAddress(Text("10.0.0.1:1")), nullptr);
}

TEST(ClientTable, ATwiceHeldAddressFindsTheEarlierAccepted) {
  ClientTable table;
  table.Add(7, Text("10.0.0.5:50000"));
  table.Add(3, Text("10.0.0.5:50000"));
  table.Add(9, Text("10.0.0.5:50000"));
  EXPECT_EQ(table.FindByAddress(Text("10.0.0.5:50000"))->socket, 7);
  table.RemoveSocket(7);
  EXPECT_EQ(table.FindByAddress(Text("10.0.0.5:50000"))->socket, 3);
  table.Clear();
  EXPECT_EQ(table.Count(), 0);
  EXPECT_EQ(table.FindByAddress(Text("10.0.0.5:50000")), nullptr);
  EXPECT_EQ(table.FindBySocket(3), nullptr);
}

}  // namespace
}  // namespace board
