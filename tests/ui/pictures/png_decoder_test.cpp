#include "ui/pictures/png_decoder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "tests/ui/pictures/png_builder.h"
#include "ui/pictures/pictures.h"

namespace board {
namespace {

using namespace std::string_literals;
using testing::BuildPng;
using testing::Chunk;
using testing::Compress;
using testing::HeaderData;
using testing::kSignature;
using testing::PngSpec;

std::string AsString(const std::vector<unsigned char>& pixels) {
  return std::string(pixels.begin(), pixels.end());
}

struct FormatCase {
  const char* name;
  PngSpec layout;
  std::string rgb;   // expected pixels of DecodePng
  std::string rgba;  // expected pixels of DecodePngWithAlpha
};

void PrintTo(const FormatCase& param, std::ostream* out) { *out << param.name; }

// Every kind of PNG comes out as 8-bit samples; alpha is composited onto
// black for RGB and kept for RGBA.
const FormatCase kFormats[] = {
    {"Rgb8",
     {2, 1, 8, testing::kRgb, {"\0\x10\x20\x30\xff\x00\x80"s}, {}, {}},
     "\x10\x20\x30\xff\x00\x80"s,
     "\x10\x20\x30\xff\xff\x00\x80\xff"s},
    {"Grey8",
     {2, 1, 8, testing::kGrey, {"\0\x00\x7f"s}, {}, {}},
     "\x00\x00\x00\x7f\x7f\x7f"s,
     "\x00\x00\x00\xff\x7f\x7f\x7f\xff"s},
    {"Grey1",
     {3, 1, 1, testing::kGrey, {"\0\xa0"s}, {}, {}},
     "\xff\xff\xff\x00\x00\x00\xff\xff\xff"s,
     "\xff\xff\xff\xff\x00\x00\x00\xff\xff\xff\xff\xff"s},
    {"Palette8",
     {2, 1, 8, testing::kPalette, {"\0\x01\x00"s}, "\xff\0\0\0\xff\0"s, {}},
     "\x00\xff\x00\xff\x00\x00"s,
     "\x00\xff\x00\xff\xff\x00\x00\xff"s},
    {"Palette2",
     {4,
      1,
      2,
      testing::kPalette,
      {"\0\xe4"s},
      "\x01\x01\x01\x02\x02\x02\x03\x03\x03\x04\x04\x04"s,
      {}},
     "\x04\x04\x04\x03\x03\x03\x02\x02\x02\x01\x01\x01"s,
     "\x04\x04\x04\xff\x03\x03\x03\xff\x02\x02\x02\xff\x01\x01\x01\xff"s},
    {"PaletteWithTransparency",
     {2,
      1,
      8,
      testing::kPalette,
      {"\0\x00\x01"s},
      "\xc8\x64\x32\x0a\x14\x1e"s,
      "\x80"s},
     "\x64\x32\x19\x0a\x14\x1e"s,
     "\xc8\x64\x32\x80\x0a\x14\x1e\xff"s},
    {"RgbWithKeyColour",
     {2,
      1,
      8,
      testing::kRgb,
      {"\0\x10\x20\x30\x11\x22\x33"s},
      {},
      "\0\x10\0\x20\0\x30"s},
     "\x00\x00\x00\x11\x22\x33"s,
     "\x10\x20\x30\x00\x11\x22\x33\xff"s},
    {"Rgba8",
     {1, 1, 8, testing::kRgba, {"\0\xc8\x64\x32\x80"s}, {}, {}},
     "\x64\x32\x19"s,
     "\xc8\x64\x32\x80"s},
    {"GreyAlpha8",
     {2, 1, 8, testing::kGreyAlpha, {"\0\x80\xff\xff\x00"s}, {}, {}},
     "\x80\x80\x80\x00\x00\x00"s,
     "\x80\x80\x80\xff\xff\xff\xff\x00"s},
    {"Rgb16",
     {1, 1, 16, testing::kRgb, {"\0\xff\xff\x00\x00\x80\x80"s}, {}, {}},
     "\xff\x00\x80"s,
     "\xff\x00\x80\xff"s},
    // Sub filter on the first row, Up on the second: rows stay in order.
    {"FilteredRows",
     {2,
      2,
      8,
      testing::kRgb,
      {"\x01\x0a\x14\x1e\x05\x05\x05"s, "\x02\x01\x01\x01\x00\x00\x00"s},
      {},
      {}},
     "\x0a\x14\x1e\x0f\x19\x23\x0b\x15\x1f\x0f\x19\x23"s,
     "\x0a\x14\x1e\xff\x0f\x19\x23\xff\x0b\x15\x1f\xff\x0f\x19\x23\xff"s},
    // Adam7 passes of a 2 x 2 picture: (0,0), then (1,0), then the second row.
    {"Interlaced",
     {2,
      2,
      8,
      testing::kGrey,
      {"\0\x10"s, "\0\x20"s, "\0\x30\x40"s},
      {},
      {},
      true},
     "\x10\x10\x10\x20\x20\x20\x30\x30\x30\x40\x40\x40"s,
     "\x10\x10\x10\xff\x20\x20\x20\xff\x30\x30\x30\xff\x40\x40\x40\xff"s},
};

class PngFormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(PngFormatTest, DecodesToRgb) {
  const std::optional<RgbImage> image = DecodePng(BuildPng(GetParam().layout));
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, static_cast<int>(GetParam().layout.width));
  EXPECT_EQ(image->height, static_cast<int>(GetParam().layout.height));
  EXPECT_EQ(AsString(image->pixels), GetParam().rgb);
}

TEST_P(PngFormatTest, DecodesToRgba) {
  const std::optional<RgbaImage> image =
      DecodePngWithAlpha(BuildPng(GetParam().layout));
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, static_cast<int>(GetParam().layout.width));
  EXPECT_EQ(image->height, static_cast<int>(GetParam().layout.height));
  EXPECT_EQ(AsString(image->pixels), GetParam().rgba);
}

INSTANTIATE_TEST_SUITE_P(Formats, PngFormatTest, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<FormatCase>& info) {
                           return std::string(info.param.name);
                         });

std::string Png(std::string_view header, std::string_view idat) {
  return std::string(kSignature) + Chunk("IHDR", header) + Chunk("IDAT", idat) +
         Chunk("IEND", "");
}

const std::string kOneRedPixelHeader = HeaderData(1, 1, 8, testing::kRgb);
const std::string kOneRedPixelData = Compress("\0\xff\0\0"s);

std::string WithBrokenHeaderChecksum() {
  std::string png = Png(kOneRedPixelHeader, kOneRedPixelData);
  png[8 + 8 + 13] ^= 0x01;  // first byte of the header chunk's checksum
  return png;
}

struct BrokenCase {
  const char* name;
  std::string bytes;
};

void PrintTo(const BrokenCase& param, std::ostream* out) { *out << param.name; }

const BrokenCase kBroken[] = {
    {"Empty", ""},
    {"NotAPng", "GIF89a this is not a PNG file at all"},
    {"SignatureOnly", std::string(kSignature)},
    {"HeaderOnly", std::string(kSignature) + Chunk("IHDR", kOneRedPixelHeader)},
    {"NoEndChunk", std::string(kSignature) + Chunk("IHDR", kOneRedPixelHeader) +
                       Chunk("IDAT", kOneRedPixelData)},
    {"BadHeaderChecksum", WithBrokenHeaderChecksum()},
    {"ZeroWidth", Png(HeaderData(0, 1, 8, testing::kRgb), kOneRedPixelData)},
    {"BadBitDepth", Png(HeaderData(1, 1, 7, testing::kRgb), kOneRedPixelData)},
    {"BadColourType",
     Png(HeaderData(1, 1, 8, static_cast<testing::PngColour>(5)),
         kOneRedPixelData)},
    {"WiderThanTheCap",
     Png(HeaderData(kMaxPictureSide + 1, 1, 8, testing::kRgb),
         Compress("\0"s + std::string((kMaxPictureSide + 1) * 3, '\x7f')))},
    {"HugeHeaderOverTinyData",
     Png(HeaderData(16000, 16000, 8, testing::kRgba), kOneRedPixelData)},
    {"NotEnoughImageData",
     Png(HeaderData(1, 2, 8, testing::kRgb), kOneRedPixelData)},
    {"CorruptCompressedData", Png(kOneRedPixelHeader, "\x78\x9c\xff\xff\xff"s)},
    {"UnknownFilterType", Png(kOneRedPixelHeader, Compress("\x09\xff\0\0"s))},
    {"PaletteWithoutPalette",
     Png(HeaderData(1, 1, 8, testing::kPalette), Compress("\0\0"s))},
};

class BrokenPngTest : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenPngTest, GivesNothing) {
  const ByteSeq bytes(GetParam().bytes);
  EXPECT_FALSE(DecodePng(bytes).has_value());
  EXPECT_FALSE(DecodePngWithAlpha(bytes).has_value());
}

INSTANTIATE_TEST_SUITE_P(Inputs, BrokenPngTest, ::testing::ValuesIn(kBroken),
                         [](const ::testing::TestParamInfo<BrokenCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(PngDecoderTest, TheBuiltFileOfTheBrokenCasesDecodesWhenWhole) {
  // The broken cases above are each one fault away from this file.
  const std::optional<RgbImage> image =
      DecodePng(ByteSeq(Png(kOneRedPixelHeader, kOneRedPixelData)));
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(AsString(image->pixels), "\xff\0\0"s);
}

TEST(PngDecoderTest, EveryShorterPrefixOfAFileGivesNothing) {
  const std::string png(BuildPng(kFormats[0].layout).View());
  ASSERT_TRUE(DecodePng(ByteSeq(png)).has_value());
  for (std::size_t length = 0; length < png.size(); ++length) {
    EXPECT_FALSE(DecodePng(ByteSeq(png.substr(0, length))).has_value())
        << "prefix of " << length << " bytes";
  }
}

TEST(PngDecoderTest, TruncatedPictureGivesNothing) {
  const std::string_view background = BackgroundPicture().View();
  for (const std::size_t length :
       {background.size() / 2, background.size() - 13, background.size() - 1}) {
    EXPECT_FALSE(DecodePng(ByteSeq(background.substr(0, length))).has_value())
        << "prefix of " << length << " bytes";
  }
}

TEST(PngDecoderTest, BytesAfterTheEndChunkAreIgnored) {
  std::string png(CloseNormalPicture().View());
  png += "trailing bytes";
  const std::optional<RgbImage> image = DecodePng(ByteSeq(png));
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->pixels, DecodePng(CloseNormalPicture())->pixels);
}

}  // namespace
}  // namespace board
