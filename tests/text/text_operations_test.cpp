#include "text/text_operations.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace board {
namespace {

using std::nullopt;

std::vector<std::string> Pieces(const TextList& list) {
  std::vector<std::string> pieces;
  for (int i = 1; i <= ListCount(list); ++i) {
    pieces.emplace_back(list[i].View());
  }
  return pieces;
}

TEST(TextCuttingTest, LeftAndMidCountBytesAndClampToTheText) {
  EXPECT_EQ(TextLeft("GE", 3), Text("GE"));
  EXPECT_EQ(TextLeft("GET /", 3), Text("GET"));
  EXPECT_EQ(TextLeft("GE", 0), Text());
  EXPECT_EQ(TextLeft("GE", -4), Text());
  EXPECT_EQ(TextLeft(Text(), 2), Text());
  EXPECT_EQ(TextLeft("\xB7\xA2", 1), Text("\xB7"));  // cuts a character

  EXPECT_EQ(TextMid("abc", 3, 5), Text("c"));
  EXPECT_EQ(TextMid("abc", 2, 1), Text("b"));
  EXPECT_EQ(TextMid("abc", 1, INT_MAX), Text("abc"));
  EXPECT_EQ(TextMid("abc", 4, 1), Text());
  EXPECT_EQ(TextMid("abc", 0, 2), Text());
  EXPECT_EQ(TextMid("abc", -3, 2), Text());
  EXPECT_EQ(TextMid("abc", 1, 0), Text());
  EXPECT_EQ(TextMid("abc", INT_MAX, INT_MAX), Text());
  EXPECT_EQ(TextLength(Text()), 0);
  EXPECT_EQ(TextLength("\xB7\xA2x"), 3);
}

TEST(TextCuttingTest, CharFromCodeKeepsOnlyTheLowByte) {
  EXPECT_EQ(CharFromCode(65), Text("A"));
  EXPECT_EQ(CharFromCode(321), Text("A"));
  EXPECT_EQ(CharFromCode(0xB7), Text("\xB7"));
  EXPECT_EQ(CharFromCode(-1), Text("\xFF"));
  EXPECT_TRUE(CharFromCode(0).IsEmpty());
  EXPECT_TRUE(CharFromCode(256).IsEmpty());
}

struct FindCase {
  const char* t;
  const char* sought;
  std::optional<int> start;
  bool ignoreCase;
  int expected;
};

class FindTextTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindTextTest, FindsAtCharacterStartsOnly) {
  const FindCase& c = GetParam();
  EXPECT_EQ(FindText(c.t, c.sought, c.start, c.ignoreCase), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTextTest,
    testing::Values(FindCase{"abcabc", "c", nullopt, false, 3},
                    FindCase{"abcabc", "c", 4, false, 6},
                    FindCase{"abcabc", "c", 7, false, -1},
                    FindCase{"abcabc", "c", -5, false, 3},
                    FindCase{"abcabc", "abc", 2, false, 4},
                    FindCase{"abcabc", "abcd", nullopt, false, -1},
                    FindCase{"abc", "", nullopt, false, 1},
                    FindCase{"abc", "", 3, false,
                             1},  // the start does not shift the 1
                    FindCase{"abc", "", 4, false, -1},
                    FindCase{"", "", nullopt, false, -1},
                    FindCase{"", "a", nullopt, false, -1},
                    FindCase{"\xB0"
                             "AB",
                             "AB", nullopt, false, -1},
                    FindCase{"\xB0"
                             "AB",
                             "B", nullopt, false, 3},
                    // Starting on a second byte makes it a character start.
                    FindCase{"\xB0"
                             "AB",
                             "AB", 2, false, 2},
                    FindCase{"FABU", "fabu", nullopt, false, -1},
                    FindCase{"FABU", "fabu", nullopt, true, 1},
                    // Case is folded in second bytes too: B0 61 matches B0 41.
                    FindCase{"x\xB0"
                             "a",
                             "\xB0"
                             "A",
                             nullopt, true, 2},
                    // A lead byte before the end stops the search.
                    FindCase{"ab\xB0", "z", nullopt, false, -1},
                    FindCase{"ab\xB0", "\xB0", nullopt, false, 3},
                    FindCase{"\x80\xFF"
                             "a",
                             "a", nullopt, false, 3}));

struct ReplaceCase {
  const char* t;
  const char* sought;
  std::optional<Text> replacement;
  std::optional<int> start;
  std::optional<int> count;
  bool caseSensitive;
  const char* expected;
};

class ReplaceTextTest : public testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceTextTest, ReplacesLeftToRightWithoutOverlap) {
  const ReplaceCase& c = GetParam();
  EXPECT_EQ(ReplaceText(c.t, c.sought, c.replacement, c.start, c.count,
                        c.caseSensitive),
            Text(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTextTest,
    testing::Values(
        ReplaceCase{"a[len]b[len]", "[len]", Text("7"), nullopt, nullopt, true,
                    "a7b7"},
        ReplaceCase{"a[len]b[len]", "[len]", Text("7"), nullopt, 1, true,
                    "a7b[len]"},
        ReplaceCase{"a[len]b[len]", "[len]", Text("7"), 3, nullopt, true,
                    "a[len]b7"},
        ReplaceCase{"a[len]b[len]", "[len]", nullopt, nullopt, nullopt, true,
                    "ab"},
        ReplaceCase{"a[len]b[len]", "[len]", Text("7"), nullopt, -1, true,
                    "a7b7"},
        ReplaceCase{"a[len]b[len]", "[len]", Text("7"), nullopt, 0, true,
                    "a[len]b[len]"},
        ReplaceCase{"aaa", "aa", Text("b"), nullopt, nullopt, true, "ba"},
        ReplaceCase{"aa", "a", Text("aa"), nullopt, nullopt, true, "aaaa"},
        ReplaceCase{"abc", "", Text("x"), nullopt, nullopt, true, "abc"},
        ReplaceCase{"", "a", Text("x"), nullopt, nullopt, true, ""},
        ReplaceCase{"abc", "c", Text("x"), 4, nullopt, true, "abc"},
        ReplaceCase{"abc", "abcd", Text("x"), nullopt, nullopt, true, "abc"},
        ReplaceCase{"%2B+", "+", Text(" "), nullopt, nullopt, true, "%2B "},
        ReplaceCase{"AbAB", "ab", Text("x"), nullopt, nullopt, false, "xx"},
        ReplaceCase{"AbAB", "ab", Text("x"), nullopt, nullopt, true, "AbAB"},
        // No match begins on the second byte of B0 41.
        ReplaceCase{"\xB0"
                    "AA",
                    "A", Text("x"), nullopt, nullopt, true,
                    "\xB0"
                    "Ax"},
        // A lead byte that ends the text is kept.
        ReplaceCase{"aa\xB0", "a", Text("x"), nullopt, nullopt, true, "xx\xB0"},
        ReplaceCase{"a\xB0", "\xB0", Text("x"), nullopt, nullopt, true, "ax"},
        // The bytes before the start are copied even mid-character.
        ReplaceCase{"\xB0"
                    "AA",
                    "A", Text("x"), 2, nullopt, true, "\xB0xx"}));

struct SplitCase {
  const char* t;
  std::optional<Text> delimiter;
  std::optional<int> maxPieces;
  std::vector<std::string> expected;
};

class SplitTextTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextTest, SplitsAtDelimitersAtCharacterStarts) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(Pieces(SplitText(c.t, c.delimiter, c.maxPieces)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTextTest,
    testing::Values(SplitCase{"a,,b", nullopt, nullopt, {"a", "", "b"}},
                    SplitCase{",a", nullopt, nullopt, {"", "a"}},
                    SplitCase{"a,", nullopt, nullopt, {"a"}},
                    SplitCase{",", nullopt, nullopt, {""}},
                    SplitCase{"ab", nullopt, nullopt, {"ab"}},
                    SplitCase{"", nullopt, nullopt, {}},
                    SplitCase{"a,b,c", nullopt, 2, {"a", "b"}},
                    SplitCase{"a,b,c", nullopt, 3, {"a", "b", "c"}},
                    SplitCase{"a,b", nullopt, 1, {"a"}},
                    SplitCase{"a,b,c", nullopt, 0, {}},
                    SplitCase{"a,b,c", nullopt, -2, {}},
                    SplitCase{"a,b", Text(""), nullopt, {"a,b"}},
                    SplitCase{"ab", Text("abc"), nullopt, {"ab"}},
                    SplitCase{"GET /fabu=x HTTP/1.1",
                              Text(" "),
                              nullopt,
                              {"GET", "/fabu=x", "HTTP/1.1"}},
                    SplitCase{
                        "a\r\n\r\nb", Text("\r\n"), nullopt, {"a", "", "b"}},
                    // The comma inside B0 2C is a second byte, not a delimiter.
                    SplitCase{"x\xB0,y,z", nullopt, nullopt, {"x\xB0,y", "z"}},
                    // A lead byte that ends the text stays in the last piece.
                    SplitCase{"a,b\xB0", nullopt, nullopt, {"a", "b\xB0"}},
                    SplitCase{"A,a", Text("a"), nullopt, {"A,"}}));

TEST(TextCaseTest, FoldsOnlyOneByteAsciiLetters) {
  EXPECT_EQ(ToLowerAscii("GET"), Text("get"));
  EXPECT_EQ(ToLowerAscii("\xA3\xC7\xA3\xC5\xA3\xD4"),
            Text("\xA3\xC7\xA3\xC5\xA3\xD4"));  // ＧＥＴ
  EXPECT_EQ(ToLowerAscii("\xC1"
                         "A"),
            Text("\xC1"
                 "A"));
  EXPECT_EQ(ToLowerAscii("Az@[\xC1"), Text("az@[\xC1"));
  EXPECT_EQ(ToUpperAscii("e"), Text("E"));
  EXPECT_EQ(ToUpperAscii("9"), Text("9"));
  EXPECT_EQ(ToUpperAscii("%2f`{\xB0"
                         "a"),
            Text("%2F`{\xB0"
                 "a"));
  EXPECT_EQ(ToUpperAscii(Text()), Text());
}

struct NumberCase {
  const char* t;
  int expected;
};

class TextToIntTest : public testing::TestWithParam<NumberCase> {};

TEST_P(TextToIntTest, ReadsTheLeadingNumber) {
  EXPECT_EQ(TextToInt(GetParam().t), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextToIntTest,
    testing::Values(NumberCase{"9988", 9988}, NumberCase{" \t-12abc", -12},
                    NumberCase{"+7", 7}, NumberCase{"abc", 0},
                    NumberCase{"", 0}, NumberCase{"- 5", 0},
                    NumberCase{"--5", 0}, NumberCase{"\r\n\v\f42", 42},
                    NumberCase{"\xA3\xB9\xA3\xB9\xA3\xB8\xA3\xB8", 9988},
                    NumberCase{"\xA1\xA1"
                               "42",
                               42},
                    NumberCase{"\xA3\xAD\xA3\xB3", -3},  // －３
                    NumberCase{"4294967297", 1},
                    NumberCase{"2147483648", INT_MIN},
                    NumberCase{"-2147483648", INT_MIN},
                    NumberCase{"12\xB0", 12}, NumberCase{"\xB0", 0},
                    NumberCase{"\xB0\xB1"
                               "5",
                               0}));

TEST(TextJoiningTest, BlankCompareConcatAndCount) {
  EXPECT_EQ(BlankText(3), Text("   "));
  EXPECT_EQ(BlankText(40).Length(), 40);
  EXPECT_EQ(BlankText(40).View().find_first_not_of(' '),
            std::string_view::npos);
  EXPECT_TRUE(BlankText(0).IsEmpty());
  EXPECT_TRUE(BlankText(-1).IsEmpty());

  EXPECT_EQ(CompareText(Text(""), Text()), 0);
  EXPECT_EQ(CompareText("get", "GET"), 1);
  EXPECT_EQ(CompareText("GET", "get"), -1);
  EXPECT_EQ(CompareText("ab", "abc"), -1);
  EXPECT_EQ(CompareText("abc", "ab"), 1);
  EXPECT_EQ(CompareText("\xB0", "a"), 1);  // bytes compare unsigned

  EXPECT_TRUE(ConcatTexts({Text(), Text(""), Text()}).IsEmpty());
  EXPECT_EQ(ConcatTexts({"a", Text(), "\xB7\xA2", "c"}), Text("a\xB7\xA2"
                                                              "c"));
  EXPECT_EQ(ConcatTexts({"only"}), Text("only"));

  EXPECT_EQ(ListCount(TextList()), 0);
  EXPECT_EQ(ListCount(SplitText("a,b,c")), 3);
}

}  // namespace
}  // namespace board
