#include <gtest/gtest.h>

#include <ostream>
#include <string_view>

#include "tests/ui/pictures/png_builder.h"
#include "ui/pictures/pictures.h"
#include "ui/pictures/png_decoder.h"

namespace board {
namespace {

struct EmbeddedPicture {
  const char* name;
  const ByteSeq& (*picture)();
  int width;
  int height;
};

void PrintTo(const EmbeddedPicture& param, std::ostream* out) {
  *out << param.name;
}

const EmbeddedPicture kOpaquePictures[] = {
    {"Background", BackgroundPicture, 360, 640},
    {"NoticeBar", NoticeBarPicture, 300, 30},
    {"ApiTabOn", ApiTabOnPicture, 120, 30},
    {"ApiTabOff", ApiTabOffPicture, 120, 30},
    {"LogTabOn", LogTabOnPicture, 120, 30},
    {"LogTabOff", LogTabOffPicture, 120, 30},
    {"CloseNormal", CloseNormalPicture, 30, 30},
    {"CloseHover", CloseHoverPicture, 30, 30},
    {"ClosePressed", ClosePressedPicture, 30, 30},
    {"MinimizeNormal", MinimizeNormalPicture, 30, 30},
    {"MinimizeHover", MinimizeHoverPicture, 30, 30},
    {"MinimizePressed", MinimizePressedPicture, 30, 30},
};

// Byte 24 of a PNG file is the bit depth, byte 25 the colour type.
unsigned char StoredBitDepth(const ByteSeq& png) { return png.Data()[24]; }
unsigned char StoredColourType(const ByteSeq& png) { return png.Data()[25]; }

class OpaquePictureTest : public ::testing::TestWithParam<EmbeddedPicture> {};

TEST_P(OpaquePictureTest, DecodesToItsSize) {
  const std::optional<RgbImage> image = DecodePng(GetParam().picture());
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, GetParam().width);
  EXPECT_EQ(image->height, GetParam().height);
  EXPECT_EQ(image->pixels.size(),
            static_cast<std::size_t>(GetParam().width * GetParam().height * 3));
}

TEST_P(OpaquePictureTest, IsStoredAsEightBitRgbWithoutTransparency) {
  const ByteSeq& png = GetParam().picture();
  ASSERT_GT(png.Size(), 26u);
  EXPECT_EQ(png.View().substr(0, 8), testing::kSignature);
  EXPECT_EQ(StoredBitDepth(png), 8);
  EXPECT_EQ(StoredColourType(png), testing::kRgb);
  EXPECT_EQ(testing::FindChunk(png.View(), "tRNS"), std::string_view::npos);
}

INSTANTIATE_TEST_SUITE_P(
    EveryPicture, OpaquePictureTest, ::testing::ValuesIn(kOpaquePictures),
    [](const ::testing::TestParamInfo<EmbeddedPicture>& info) {
      return std::string(info.param.name);
    });

TEST(ProgramIconTest, IsEightBitRgbaOfItsSize) {
  const ByteSeq& png = ProgramIcon();
  EXPECT_EQ(StoredBitDepth(png), 8);
  EXPECT_EQ(StoredColourType(png), testing::kRgba);
  const std::optional<RgbaImage> icon = DecodePngWithAlpha(png);
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->width, 256);
  EXPECT_EQ(icon->height, 256);
}

TEST(ProgramIconTest, IsARoundBadgeOnTransparency) {
  const std::optional<RgbaImage> icon = DecodePngWithAlpha(ProgramIcon());
  ASSERT_TRUE(icon.has_value());
  auto alpha = [&](int x, int y) {
    return icon->pixels[(static_cast<std::size_t>(y) * 256 + x) * 4 + 3];
  };
  for (const auto& [x, y] : {std::pair{0, 0},
                             {255, 0},
                             {0, 255},
                             {255, 255},
                             {20, 20},
                             {235, 235}}) {
    EXPECT_EQ(alpha(x, y), 0) << "at " << x << "," << y;
  }
  for (const auto& [x, y] :
       {std::pair{128, 128}, {128, 10}, {10, 128}, {128, 245}, {60, 128}}) {
    EXPECT_EQ(alpha(x, y), 255) << "at " << x << "," << y;
  }
}

TEST(ProgramIconTest, HasARedRingAroundABlueCentre) {
  const std::optional<RgbaImage> icon = DecodePngWithAlpha(ProgramIcon());
  ASSERT_TRUE(icon.has_value());
  auto channel = [&](int x, int y, int c) {
    return int{icon->pixels[(static_cast<std::size_t>(y) * 256 + x) * 4 + c]};
  };
  // Upper part of the centre, above the word.
  EXPECT_GT(channel(128, 70, 2), channel(128, 70, 0) + 60);
  // Just inside the outer edge the ring shows red between the wave bands.
  int red_pixels = 0;
  for (int y = 6; y < 40; ++y) {
    red_pixels += channel(128, y, 0) > channel(128, y, 2) + 60 ? 1 : 0;
  }
  EXPECT_GT(red_pixels, 8);
}

}  // namespace
}  // namespace board
