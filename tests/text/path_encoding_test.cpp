#include "text/path_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace board {
namespace {

struct NameCase {
  const char* text;    // code page 936 / GB18030 bytes
  const char* native;  // the file name on disk
};

class PathRoundTripTest : public testing::TestWithParam<NameCase> {};

TEST_P(PathRoundTripTest, ConvertsBothWays) {
  const NameCase& c = GetParam();
  EXPECT_EQ(PathToNative(c.text), std::string(c.native));
  EXPECT_EQ(PathFromNative(c.native), Text(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Names, PathRoundTripTest,
    testing::Values(
        NameCase{"", ""}, NameCase{"/tmp/a b.txt", "/tmp/a b.txt"},
        // 存储文本.txt
        NameCase{"\xB4\xE6\xB4\xA2\xCE\xC4\xB1\xBE.txt",
                 "\xE5\xAD\x98\xE5\x82\xA8\xE6\x96\x87\xE6\x9C\xAC.txt"},
        // 运行目录/文件
        NameCase{"/\xD4\xCB\xD0\xD0\xC4\xBF\xC2\xBC/\xCE\xC4\xBC\xFE",
                 "/\xE8\xBF\x90\xE8\xA1\x8C\xE7\x9B\xAE\xE5\xBD\x95/"
                 "\xE6\x96\x87\xE4\xBB\xB6"},
        NameCase{"caf\xA8\xA6", "caf\xC3\xA9"},              // café
        NameCase{"\x94\x39\xFC\x36", "\xF0\x9F\x98\x80"}));  // outside GBK

TEST(PathEncodingTest, NamesThatAreNotUtf8ComeBackUnchanged) {
  for (const std::string native : {"bad\xFF", "\xC3", "a\xC3(b", "\xED\xA0\x80",
                                   "\x80\x80/x\xFE\xFF", "\xE5\xAD"}) {
    const Text path = PathFromNative(native);
    EXPECT_EQ(PathToNative(path), native);
    // The stand-ins keep the separators where they were.
    EXPECT_EQ(std::string(path.View()).find('/') == std::string::npos,
              native.find('/') == std::string::npos);
  }
}

TEST(PathEncodingTest, TextBytesOutsideGb18030GoOutSafely) {
  EXPECT_EQ(PathToNative("\x80"), "\xE2\x82\xAC");  // the code page 936 euro
  EXPECT_EQ(PathToNative("a\x80"
                         "b"),
            "a\xE2\x82\xAC"
            "b");
  EXPECT_EQ(PathToNative("ab\xB0"), "ab\xB0");  // a lead byte at the end
  EXPECT_EQ(PathToNative("\xFF\xFF"
                         "a"),
            "\xFF\xFF"
            "a");
  EXPECT_EQ(PathToNative("\xC3\x7F"), "\xC3\x7F");
}

TEST(PathEncodingTest, StopsAtAZeroByteOfANativeString) {
  EXPECT_EQ(PathFromNative(std::string("ab\0\xFF"
                                       "c",
                                       5)),
            Text("ab"));
}

}  // namespace
}  // namespace board
