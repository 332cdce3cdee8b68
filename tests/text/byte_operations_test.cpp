#include "text/byte_operations.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string_view>

namespace board {
namespace {

using namespace std::string_view_literals;

ByteSeq Bytes(std::string_view bytes) { return ByteSeq(bytes); }

TEST(ByteConversionTest, BytesToTextStopsAtTheFirstZero) {
  EXPECT_EQ(BytesToText(Bytes("ab\0c"sv)), Text("ab"));
  EXPECT_TRUE(BytesToText(Bytes("\0a"sv)).IsEmpty());
  EXPECT_TRUE(BytesToText(ByteSeq()).IsEmpty());
  EXPECT_EQ(BytesToText(Bytes("ab")), Text("ab"));
  EXPECT_EQ(BytesToText(Bytes("\xFF\x80")), Text("\xFF\x80"));
}

TEST(ByteConversionTest, TextToBytesHasNoTerminator) {
  EXPECT_EQ(BytesLength(TextToBytes(Text())), 0);
  const ByteSeq body = TextToBytes("error 404");
  EXPECT_EQ(BytesLength(body), 9);
  EXPECT_EQ(body.View(), "error 404"sv);
}

TEST(ByteConversionTest, IntToTextIsPlainDecimal) {
  EXPECT_EQ(IntToText(0), Text("0"));
  EXPECT_EQ(IntToText(69), Text("69"));
  EXPECT_EQ(IntToText(-5), Text("-5"));
  EXPECT_EQ(IntToText(INT_MIN), Text("-2147483648"));
  EXPECT_EQ(IntToText(INT_MAX), Text("2147483647"));
}

TEST(ByteBuildingTest, BlankBytesAreZeros) {
  EXPECT_EQ(BlankBytes(4), Bytes("\0\0\0\0"sv));
  EXPECT_EQ(BytesLength(BlankBytes(0)), 0);
  EXPECT_EQ(BytesLength(BlankBytes(-3)), 0);
}

TEST(ByteBuildingTest, BytesFromMemoryCopies) {
  ByteSeq source = Bytes("a\0bc"sv);
  const ByteSeq copy = BytesFromMemory(source.Data() + 1, 2);
  source.MutableData()[1] = 'x';
  EXPECT_EQ(copy, Bytes("\0b"sv));
  EXPECT_EQ(BytesLength(BytesFromMemory(source.Data(), 0)), 0);
  EXPECT_EQ(BytesLength(BytesFromMemory(source.Data(), -1)), 0);
  EXPECT_EQ(BytesLength(BytesFromMemory(nullptr, 5)), 0);
}

TEST(ByteBuildingTest, ConcatBytesKeepsZeros) {
  EXPECT_EQ(BytesLength(ConcatBytes({ByteSeq(), ByteSeq()})), 0);
  EXPECT_EQ(ConcatBytes({Bytes("a"), Bytes("\0b"sv)}), Bytes("a\0b"sv));
  EXPECT_EQ(ConcatBytes({Bytes("x"), ByteSeq(), Bytes("yz"), Bytes("\0"sv)}),
            Bytes("xyz\0"sv));
}

TEST(ByteCompareTest, EqualOnlyWithSameLengthAndBytes) {
  EXPECT_FALSE(CompareBytes(Bytes("\0"sv), ByteSeq()));
  EXPECT_TRUE(CompareBytes(ByteSeq(), Bytes("")));
  EXPECT_FALSE(CompareBytes(Bytes("ab"), Bytes("ac")));
  EXPECT_FALSE(CompareBytes(Bytes("ab"), Bytes("ab\0"sv)));
  EXPECT_TRUE(CompareBytes(Bytes("a\0b"sv), Bytes("a\0b"sv)));
}

TEST(TruncateToIntTest, CutsTowardZero) {
  EXPECT_EQ(TruncateToInt(7.0), 7);
  EXPECT_EQ(TruncateToInt(-0.5), 0);
  EXPECT_EQ(TruncateToInt(2.9), 2);
  EXPECT_EQ(TruncateToInt(-2.9), -2);
  EXPECT_EQ(TruncateToInt(-2147483648.0), INT_MIN);
  // Values no caller passes still give a defined answer.
  EXPECT_EQ(TruncateToInt(1e300), INT_MAX);
  EXPECT_EQ(TruncateToInt(-1e300), INT_MIN);
  EXPECT_EQ(TruncateToInt(std::numeric_limits<double>::quiet_NaN()), 0);
}

}  // namespace
}  // namespace board
