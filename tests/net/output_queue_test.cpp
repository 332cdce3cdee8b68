#include "net/output_queue.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace board {
namespace {

std::string Unsent(const OutputQueue& queue) {
  std::array<std::string_view, 64> pieces{};
  std::string all;
  const std::size_t count = queue.Front(pieces);
  for (std::size_t i = 0; i < count; ++i) all += pieces[i];
  return all;
}

TEST(OutputQueue, KeepsOrderAcrossPartlySentPieces) {
  OutputQueue queue;
  const std::string large(40 * 1024, 'L');
  queue.Append("abc");
  queue.Append("def");  // joined with the first
  queue.Append(large);
  queue.Append("xyz");
  EXPECT_EQ(queue.Size(), 9 + large.size());
  queue.Consume(4);
  EXPECT_EQ(Unsent(queue), "ef" + large + "xyz");
  queue.Consume(2 + large.size() - 1);
  EXPECT_EQ(Unsent(queue), "Lxyz");
  queue.Append("!");
  queue.Consume(2);
  EXPECT_EQ(Unsent(queue), "yz!");
  queue.Consume(100);
  EXPECT_TRUE(queue.IsEmpty());
  EXPECT_EQ(Unsent(queue), "");
}

TEST(OutputQueue, FrontFillsNoMorePiecesThanAskedFor) {
  OutputQueue queue;
  const std::string large(20 * 1024, 'L');
  for (int i = 0; i < 5; ++i) queue.Append(large);
  std::array<std::string_view, 2> pieces{};
  EXPECT_EQ(queue.Front(pieces), 2u);
  EXPECT_EQ(pieces[0].size(), large.size());
}

}  // namespace
}  // namespace board
