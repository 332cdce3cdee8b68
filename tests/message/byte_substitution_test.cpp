#include "message/byte_substitution.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace board {
namespace {

using namespace std::string_literals;

ByteSeq Bytes(const std::string& bytes) { return ByteSeq(bytes); }

struct ReplaceCase {
  std::string source;
  std::string pattern;
  std::string replacement;
  std::optional<int> start;
  std::optional<int> count;
  std::string expected;
};

void PrintTo(const ReplaceCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(c.source) << " / "
      << ::testing::PrintToString(c.pattern) << " -> "
      << ::testing::PrintToString(c.replacement);
}

class ReplaceBytesTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceBytesTest, GivesExpectedBytes) {
  const ReplaceCase& c = GetParam();
  const ByteSeq source = Bytes(c.source);
  const ByteSeq result = ReplaceBytes(source, Bytes(c.pattern),
                                      Bytes(c.replacement), c.start, c.count);
  EXPECT_EQ(std::string(result.View()), c.expected);
  EXPECT_EQ(std::string(source.View()), c.source) << "source was changed";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReplaceBytesTest,
    ::testing::Values(
        // Later positions move by the growth of earlier replacements.
        ReplaceCase{"aXbXc", "X", "YY", {}, {}, "aYYbYYc"},
        ReplaceCase{"aYYbYYc", "YY", "X", {}, {}, "aXbXc"},
        // Occurrences do not overlap.
        ReplaceCase{"aXXXb", "XX", "-", {}, {}, "a-Xb"},
        ReplaceCase{"aXbXcX", "X", "", {}, 2, "abcX"},
        ReplaceCase{"aXbXcX", "X", "_", 3, {}, "aXb_c_"},
        ReplaceCase{"aXbXcX", "X", "_", -7, {}, "a_b_c_"},
        ReplaceCase{"aXbXcX", "X", "_", 99, {}, "aXbXcX"},
        ReplaceCase{"aXbX", "X", "_", {}, 0, "aXbX"},
        ReplaceCase{"aXbX", "X", "_", {}, -1, "aXbX"},
        ReplaceCase{"aXbX", "X", "_", {}, 9, "a_b_"},
        ReplaceCase{"abc", "X", "_", {}, {}, "abc"},
        // An empty pattern or source empties the result.
        ReplaceCase{"abc", "", "_", {}, {}, ""},
        ReplaceCase{"", "X", "_", {}, {}, ""},
        // The replacement is inserted verbatim, never searched again.
        ReplaceCase{"aXb", "X", "XX", {}, {}, "aXXb"},
        ReplaceCase{"aXb", "X", "\0\0"s, {}, {}, "a\0\0b"s},
        ReplaceCase{"\0X\0"s, "X", "Y", {}, {}, "\0Y\0"s},
        ReplaceCase{"X", "X", "", {}, {}, ""},
        ReplaceCase{"ab", "abc", "_", {}, {}, "ab"},
        // The response template with an empty body keeps its final CR LF.
        ReplaceCase{"Content-Length: 0\r\n\r\n[data]\r\n",
                    "[data]",
                    "",
                    {},
                    {},
                    "Content-Length: 0\r\n\r\n\r\n"}));

TEST(FindAllBytesTest, FillsNonOverlappingPositionsAfresh) {
  std::vector<int> positions = {42};
  EXPECT_EQ(FindAllBytes(Bytes("XXXXX"), Bytes("XX"), positions), 2);
  EXPECT_EQ(positions, (std::vector<int>{1, 3}));
  EXPECT_EQ(FindAllBytes(Bytes("aXbX"), Bytes("X"), positions, 3), 1);
  EXPECT_EQ(positions, (std::vector<int>{4}));
  EXPECT_EQ(FindAllBytes(Bytes("ab"), Bytes(""), positions), 0);
  EXPECT_TRUE(positions.empty());
}

TEST(FindBytesTest, HandlesStartsOutsideTheSource) {
  const ByteSeq source = Bytes("abcabc");
  EXPECT_EQ(FindBytes(source, Bytes("c"), 1), 3);
  EXPECT_EQ(FindBytes(source, Bytes("c"), 4), 6);
  EXPECT_EQ(FindBytes(source, Bytes("c"), 7), -1);
  EXPECT_EQ(FindBytes(source, Bytes("c"), INT_MAX), -1);
  EXPECT_EQ(FindBytes(source, Bytes("a"), INT_MIN), 1);
  EXPECT_EQ(FindBytes(source, Bytes("abcabcd"), 1), -1);
  EXPECT_EQ(FindBytes(Bytes(""), Bytes("a"), 1), -1);
  // No regard to letter case or double-byte characters.
  EXPECT_EQ(FindBytes(Bytes("A\xB0"
                            "AB"),
                      Bytes("AB"), 1),
            3);
  EXPECT_EQ(FindBytes(Bytes("ab"), Bytes("A"), 1), -1);
}

TEST(SpliceBytesTest, ClampsPositionAndLength) {
  const ByteSeq abc = Bytes("abcde");
  const ByteSeq x = Bytes("X");
  EXPECT_EQ(SpliceBytes(abc, 2, 2, x).View(), "aXde");
  EXPECT_EQ(SpliceBytes(abc, 0, 1, x).View(), "Xbcde");
  EXPECT_EQ(SpliceBytes(abc, 4, 99, x).View(), "abcX");
  EXPECT_EQ(SpliceBytes(abc, 4, INT_MAX, x).View(), "abcX");
  EXPECT_EQ(SpliceBytes(abc, 6, 1, x).View(), "abcde");
  EXPECT_EQ(SpliceBytes(abc, 2, 0, x).View(), "abcde");
  EXPECT_TRUE(SpliceBytes(Bytes(""), 1, 1, x).IsEmpty());
}

TEST(BytesLeftRightTest, ClampTheCount) {
  const ByteSeq abc = Bytes("a\0c"s);
  EXPECT_EQ(BytesLeft(abc, 2).View(), "a\0"s);
  EXPECT_EQ(BytesRight(abc, 2).View(), "\0c"s);
  EXPECT_EQ(BytesLeft(abc, 9).View(), "a\0c"s);
  EXPECT_EQ(BytesRight(abc, 9).View(), "a\0c"s);
  EXPECT_TRUE(BytesLeft(abc, 0).IsEmpty());
  EXPECT_TRUE(BytesRight(abc, -1).IsEmpty());
  EXPECT_TRUE(BytesLeft(Bytes(""), 3).IsEmpty());
}

}  // namespace
}  // namespace board
