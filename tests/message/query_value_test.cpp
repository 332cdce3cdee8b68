#include "message/query_value.h"

#include <gtest/gtest.h>

#include <string>

namespace board {
namespace {

using namespace std::string_literals;

std::string Str(const Text& t) { return std::string(t.View()); }

struct ExtractCase {
  std::string source;
  std::string startMarker;
  std::string endMarker;
  std::optional<int> startPosition;
  std::optional<bool> ignoreCase;
  std::string expected;
};

void PrintTo(const ExtractCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(c.source) << " between "
      << ::testing::PrintToString(c.startMarker) << " and "
      << ::testing::PrintToString(c.endMarker);
}

class ExtractBetweenTest : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractBetweenTest, GivesTheBytesBetweenTheMarkers) {
  const ExtractCase& c = GetParam();
  EXPECT_EQ(
      Str(ExtractBetween(Text(c.source.c_str()), c.startMarker.c_str(),
                         c.endMarker.c_str(), c.startPosition, c.ignoreCase)),
      c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExtractBetweenTest,
    ::testing::Values(
        ExtractCase{
            "GET /?fabu=abc&x=1 HTTP/1.1", "fabu=", " ", {}, {}, "abc&x=1"},
        // No end marker after the value, or no start marker: nothing.
        ExtractCase{"GET /fabu=abc", "fabu=", " ", {}, {}, ""},
        ExtractCase{"GET /chaxun HTTP/1.1", "fabu=", " ", {}, {}, ""},
        ExtractCase{"GET /fabu= HTTP/1.1", "fabu=", " ", {}, {}, ""},
        // Only the first start marker counts, unless a start is given.
        ExtractCase{"fabu=a fabu=b ", "fabu=", " ", {}, {}, "a"},
        ExtractCase{"fabu=a fabu=b ", "fabu=", " ", 2, {}, "b"},
        ExtractCase{"fabu=a fabu=b ", "fabu=", " ", 0, {}, "a"},
        ExtractCase{"FABU=x ", "fabu=", " ", {}, {}, ""},
        ExtractCase{"FABU=x ", "fabu=", " ", {}, true, "x"},
        // "#引号" stands for a double quote in either marker.
        ExtractCase{"name=\"val\" rest",
                    "name=#\xD2\xFD\xBA\xC5",
                    "#\xD2\xFD\xBA\xC5",
                    {},
                    {},
                    "val"},
        // C1 61 is one character: the marker cannot start on its 61.
        ExtractCase{"\xC1"
                    "a=1 a=2 ",
                    "a=",
                    " ",
                    {},
                    {},
                    "2"},
        ExtractCase{"a=\xC4\xE3 b", "a=", " ", {}, {}, "\xC4\xE3"},
        ExtractCase{"", "fabu=", " ", {}, {}, ""}));

struct DecodeCase {
  std::string encoded;
  std::string expected;
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(c.encoded);
}

class PercentDecodeRawTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(PercentDecodeRawTest, DecodesEscapesOnly) {
  const DecodeCase& c = GetParam();
  EXPECT_EQ(Str(PercentDecode(Text(c.encoded.c_str()))), c.expected);
  EXPECT_EQ(Str(PercentDecode(Text(c.encoded.c_str()), false)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PercentDecodeRawTest,
    ::testing::Values(
        DecodeCase{"%41%62c", "Abc"}, DecodeCase{"%e4%bd%a0", "\xE4\xBD\xA0"},
        DecodeCase{"%E4%BD%A0", "\xE4\xBD\xA0"}, DecodeCase{"a+b", "a+b"},
        // A trailing "%" adds nothing; a missing digit is 0.
        DecodeCase{"ab%", "ab"}, DecodeCase{"ab%4", "ab@"},
        // A zero code adds nothing.
        DecodeCase{"%00x", "x"},
        // An invalid digit counts as -2.
        DecodeCase{"%G0", "\xE0"}, DecodeCase{"%0G", "\xFE"},
        DecodeCase{"%zz", "\xDE"}, DecodeCase{"%\xC4\xE3", "\xDE"},
        // Other bytes, double-byte ones too, pass unchanged.
        DecodeCase{"\xC4\xE3%20\xBA\xC3", "\xC4\xE3 \xBA\xC3"},
        DecodeCase{"%%41",
                   "\xE4"
                   "1"},
        DecodeCase{"", ""}));

class PercentDecodeUtf8Test : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(PercentDecodeUtf8Test, ReencodesInCodePage936) {
  const DecodeCase& c = GetParam();
  EXPECT_EQ(Str(PercentDecode(Text(c.encoded.c_str()), true)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PercentDecodeUtf8Test,
    ::testing::Values(
        DecodeCase{"%E4%BD%A0%E5%A5%BD", "\xC4\xE3\xBA\xC3"},  // 你好
        DecodeCase{"hello%20world", "hello world"},
        DecodeCase{"%E2%82%AC", "\x80"},   // the euro sign
        DecodeCase{"%C3%A9", "\xA8\xA6"},  // é
        DecodeCase{"%C2%80", "?"},         // lacking in the code page
        DecodeCase{"%F0%9F%98%80", "??"},  // beyond U+FFFF: two units
        // Each maximal invalid UTF-8 subsequence is one "?".
        DecodeCase{"%FFa", "?a"}, DecodeCase{"%E4%BDa", "?a"},
        DecodeCase{"%E4%BD", "?"}, DecodeCase{"%ED%A0%80", "???"},
        DecodeCase{"%C0%80", "??"}, DecodeCase{"%F4%90%80%80", "????"},
        DecodeCase{"%BD%A0", "??"},
        // Code page 936 bytes in the request are not UTF-8 either.
        DecodeCase{"\xC4\xE3", "??"}, DecodeCase{"", ""}));

std::string Units(const ByteSeq& units) { return std::string(units.View()); }

TEST(TextToUtf16Test, ReadsUtf8ByDefaultAndEndsWithOneZeroUnit) {
  EXPECT_EQ(Units(TextToUtf16(Text())), "\0\0"s);
  EXPECT_EQ(Units(TextToUtf16("A")), "A\0\0\0"s);
  EXPECT_EQ(Units(TextToUtf16("\xE4\xBD\xA0")), "\x60\x4F\0\0"s);
  EXPECT_EQ(Units(TextToUtf16("\xF0\x9F\x98\x80", 65001)),
            "\x3D\xD8\x00\xDE\0\0"s);
  // Invalid UTF-8 needs more units than bytes would suggest; nothing is cut.
  EXPECT_EQ(Units(TextToUtf16("\xFF\xFF\xFF")),
            "\xFD\xFF\xFD\xFF\xFD\xFF\0\0"s);
}

TEST(TextToUtf16Test, ReadsCodePage936) {
  EXPECT_EQ(Units(TextToUtf16("a\xC4\xE3", 936)), "a\0\x60\x4F\0\0"s);
  EXPECT_EQ(Units(TextToUtf16("\x80", 0)), "\xAC\x20\0\0"s);
  // Undefined bytes become U+FFFD: a lead byte with a trail-range byte as one
  // character, any other refused byte on its own.
  EXPECT_EQ(Units(TextToUtf16("\xFF"
                              "a",
                              936)),
            "\xFD\xFF"
            "a\0\0\0"s);
  EXPECT_EQ(Units(TextToUtf16("\x81\x30", 936)), "\xFD\xFF\x30\0\0\0"s);
  EXPECT_EQ(Units(TextToUtf16("\xC4", 936)), "\xFD\xFF\0\0"s);
}

TEST(Utf16ToTextTest, WritesCodePage936ByDefault) {
  EXPECT_EQ(Str(Utf16ToText(ByteSeq())), "");
  EXPECT_EQ(Str(Utf16ToText(ByteSeq("\x60\x4F"
                                    "a\0"s))),
            "\xC4\xE3"
            "a");
  EXPECT_EQ(Str(Utf16ToText(ByteSeq("\xAC\x20"s), 936)), "\x80");
  // Stops at the first zero unit; an odd last byte is no unit.
  EXPECT_EQ(Str(Utf16ToText(ByteSeq("a\0\0\0b\0"s))), "a");
  EXPECT_EQ(Str(Utf16ToText(ByteSeq("a\0b"s))), "a");
  // One "?" per unit of a character the code page lacks.
  EXPECT_EQ(Str(Utf16ToText(ByteSeq("\x3D\xD8\x00\xDE"
                                    "a\0"s))),
            "??a");
  EXPECT_EQ(Str(Utf16ToText(ByteSeq("\x00\xDC\x3D\xD8"s))), "??");
  EXPECT_EQ(Str(Utf16ToText(ByteSeq("\x3D\xD8"
                                    "a\0"s))),
            "?a");
  EXPECT_EQ(Str(Utf16ToText(ByteSeq("\xFD\xFF\x60\x4F"s))), "?\xC4\xE3");
}

TEST(Utf16ToTextTest, WritesUtf8ForCodePage65001) {
  EXPECT_EQ(Str(Utf16ToText(ByteSeq("\x60\x4F\0\0"s), 65001)), "\xE4\xBD\xA0");
  EXPECT_EQ(Str(Utf16ToText(ByteSeq("\x3D\xD8\x00\xDE"s), 65001)),
            "\xF0\x9F\x98\x80");
  EXPECT_EQ(Str(Utf16ToText(ByteSeq("\x00\xDC"s), 65001)), "\xEF\xBF\xBD");
}

// Long texts go to the converter in pieces, and what it refused once is not
// asked again; neither may change a byte of the result.
TEST(CodePage936LongTextTest, MixedCharactersConvertTheSameEverywhere) {
  // 你, 😀 (a surrogate pair), é, 가 (lacking in the code page), a
  const std::string unitsOnce =
      "\x60\x4F\x3D\xD8\x00\xDE\xE9\x00\x00\xAC"
      "a\0"s;
  const std::string textOnce = "\xC4\xE3??\xA8\xA6?a";
  std::string units;
  std::string text;
  for (int i = 0; i < 3000; ++i) {
    units += unitsOnce;
    text += textOnce;
  }
  EXPECT_EQ(Str(Utf16ToText(ByteSeq(units), 936)), text);
  EXPECT_EQ(Str(Utf16ToText(ByteSeq(units), 936)), text);

  // 你, an undefined byte, 好, a lead byte cut off by an ASCII byte
  const std::string bytesOnce = "\xC4\xE3\xFF\xBA\xC3\x81\x30";
  const std::string readOnce = "\x60\x4F\xFD\xFF\x7D\x59\xFD\xFF\x30\x00"s;
  std::string bytes;
  std::string read;
  for (int i = 0; i < 3000; ++i) {
    bytes += bytesOnce;
    read += readOnce;
  }
  EXPECT_EQ(Units(TextToUtf16(bytes.c_str(), 936)), read + "\0\0"s);
}

// The window shows every Text through these two conversions and reads its
// boxes back through them, so every character of the code page must come back
// as it went in.
TEST(CodePage936RoundTripTest, EveryDefinedCharacterComesBack) {
  int defined = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const char bytes[3] = {static_cast<char>(lead), static_cast<char>(trail),
                             0};
      const ByteSeq units = TextToUtf16(bytes, 936);
      ASSERT_EQ(units.Size(), 4u) << std::hex << lead << " " << trail;
      if (units.View().substr(0, 2) == "\xFD\xFF") continue;
      ++defined;
      EXPECT_EQ(Str(Utf16ToText(units, 936)), bytes)
          << std::hex << lead << " " << trail;
    }
  }
  EXPECT_GT(defined, 21000);  // GBK defines 21886 double-byte characters
}

}  // namespace
}  // namespace board
