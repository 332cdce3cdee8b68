#include "net/request_line_joiner.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace board {
namespace {

using Outcome = RequestLineJoiner::Outcome;

struct JoinCase {
  const char* name;
  std::vector<std::string> pieces;
  std::vector<std::string> delivered;
  std::string keptAtEnd;
};

void PrintTo(const JoinCase& c, std::ostream* out) { *out << c.name; }

class Joining : public ::testing::TestWithParam<JoinCase> {};

TEST_P(Joining, HandsOnWholeRequestLinesThenEveryPiece) {
  RequestLineJoiner joiner;
  std::vector<std::string> delivered;
  for (const std::string& piece : GetParam().pieces) {
    ByteSeq out;
    if (joiner.Offer(ByteSeq(piece), &out) == Outcome::kDeliver) {
      delivered.emplace_back(out.View());
    }
  }
  EXPECT_EQ(delivered, GetParam().delivered);
  EXPECT_EQ(std::string(joiner.Flush().View()), GetParam().keptAtEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, Joining,
    ::testing::Values(
        JoinCase{"Whole",
                 {"GET / HTTP/1.1\r\n\r\n"},
                 {"GET / HTTP/1.1\r\n\r\n"},
                 ""},
        JoinCase{"Split",
                 {"GET /fa", "bu=x HTTP/1.1\r\n"},
                 {"GET /fabu=x HTTP/1.1\r\n"},
                 ""},
        JoinCase{"SplitInTheLineEnd", {"GET /\r", "\n"}, {"GET /\r\n"}, ""},
        JoinCase{"LoneCarriageReturnsAreNoLineEnd",
                 {"a\r", "b\r", "\r"},
                 {},
                 "a\rb\r\r"},
        JoinCase{"AfterTheLineEveryPieceIsItsOwn",
                 {"GET /\r\n", "Ho", "st"},
                 {"GET /\r\n", "Ho", "st"},
                 ""},
        JoinCase{"ZeroBytesAreKept",
                 {std::string("a\0", 2), "\r\n"},
                 {std::string("a\0\r\n", 4)},
                 ""},
        JoinCase{"NeverEnded", {"GET /chaxun"}, {}, "GET /chaxun"}),
    [](const ::testing::TestParamInfo<JoinCase>& info) {
      return std::string(info.param.name);
    });

TEST(Joining, AFlushedJoinerPassesEverythingThrough) {
  RequestLineJoiner joiner;
  ByteSeq out;
  EXPECT_EQ(joiner.Offer(ByteSeq("GET /cha"), &out), Outcome::kKeep);
  EXPECT_EQ(std::string(joiner.Flush().View()), "GET /cha");
  EXPECT_EQ(joiner.Offer(ByteSeq("xun"), &out), Outcome::kDeliver);
  EXPECT_EQ(std::string(out.View()), "xun");
}

TEST(Joining, AMebibyteWithoutALineEndIsDropped) {
  RequestLineJoiner joiner;
  ByteSeq out;
  const std::string piece(RequestLineJoiner::kMaxKept / 4, 'x');
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(joiner.Offer(ByteSeq(piece), &out), Outcome::kKeep);
  }
  EXPECT_EQ(joiner.Offer(ByteSeq(piece), &out), Outcome::kOverflow);
  EXPECT_FALSE(joiner.HasKept());
}

}  // namespace
}  // namespace board
