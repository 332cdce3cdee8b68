#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ostream>

#include "tests/ui/pictures/picture_testing.h"
#include "ui/pictures/pictures.h"
#include "ui/pictures/png_decoder.h"

namespace board {
namespace {

using testing::ColourAt;
using testing::kBlack;
using testing::kWhite;

constexpr std::uint32_t kBottomLine = 0x474A50;
constexpr std::uint32_t kOutline = 0x606775;
constexpr std::uint32_t kNoticeBar = 0xFEFEFE;
constexpr std::uint32_t kTabOnFace = 0xDFE7FA;
constexpr std::uint32_t kTabOnText = 0x3D75FA;
constexpr std::uint32_t kTabOffFace = 0x081023;
constexpr std::uint32_t kHover = 0xB8C0D1;
constexpr std::uint32_t kPressed = 0xF5E221;

RgbImage Decoded(const ByteSeq& png) {
  std::optional<RgbImage> image = DecodePng(png);
  if (!image) {
    ADD_FAILURE() << "picture does not decode";
    return {};
  }
  return *image;
}

// The smallest rectangle holding every pixel that is not black.
struct Ink {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Ink InkWithin(const RgbImage& image, int first_row, int last_row) {
  Ink ink;
  for (int y = first_row; y <= last_row; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (ColourAt(image, x, y) != kBlack) {
        ink = {std::min(ink.left, x), std::min(ink.top, y),
               std::max(ink.right, x), std::max(ink.bottom, y)};
      }
    }
  }
  return ink;
}

bool RowIs(const RgbImage& image, int y, std::uint32_t colour) {
  for (int x = 0; x < image.width; ++x) {
    if (ColourAt(image, x, y) != colour) {
      return false;
    }
  }
  return true;
}

bool HasColourWithin(const RgbImage& image, std::uint32_t colour, int first_row,
                     int last_row) {
  for (int y = first_row; y <= last_row; ++y) {
    for (int x = 0; x < image.width; ++x) {
      if (ColourAt(image, x, y) == colour) {
        return true;
      }
    }
  }
  return false;
}

class BackgroundTest : public ::testing::Test {
 protected:
  RgbImage background_ = Decoded(BackgroundPicture());
};

TEST_F(BackgroundTest, GreyLineSeparatesBlackFromWhite) {
  EXPECT_TRUE(RowIs(background_, 454, kBlack));
  EXPECT_TRUE(RowIs(background_, 455, kBottomLine));
  for (int y = 456; y < 640; ++y) {
    ASSERT_TRUE(RowIs(background_, y, kWhite)) << "row " << y;
  }
}

// Between the pieces of the design the band is plain black, so that the
// banner label, the window buttons and the page area sit on clean ground.
TEST_F(BackgroundTest, BlackBetweenThePiecesOfTheDesign) {
  struct Rows {
    int first, last;
  };
  for (const Rows rows :
       {Rows{0, 35}, {57, 74}, {105, 125}, {156, 168}, {197, 454}}) {
    for (int y = rows.first; y <= rows.last; ++y) {
      ASSERT_TRUE(RowIs(background_, y, kBlack)) << "row " << y;
    }
  }
}

struct Lettering {
  const char* what;
  int first_row;
  int last_row;
};

void PrintTo(const Lettering& param, std::ostream* out) { *out << param.what; }

class BackgroundLetteringTest
    : public BackgroundTest,
      public ::testing::WithParamInterface<Lettering> {};

TEST_P(BackgroundLetteringTest, FillsItsRowsInWhiteAndIsCentred) {
  const Lettering& lettering = GetParam();
  const Ink ink =
      InkWithin(background_, lettering.first_row - 5, lettering.last_row + 5);
  EXPECT_EQ(ink.top, lettering.first_row);
  EXPECT_EQ(ink.bottom, lettering.last_row);
  EXPECT_NEAR((ink.left + ink.right + 1) / 2.0, 180, 2.5);
  EXPECT_TRUE(HasColourWithin(background_, kWhite, lettering.first_row,
                              lettering.last_row));
}

INSTANTIATE_TEST_SUITE_P(Background, BackgroundLetteringTest,
                         ::testing::Values(Lettering{"ProductWord", 36, 56},
                                           Lettering{"ForumName", 126, 155},
                                           Lettering{"WebAddress", 169, 196}),
                         [](const ::testing::TestParamInfo<Lettering>& info) {
                           return std::string(info.param.what);
                         });

TEST_F(BackgroundTest, OutlineFramesTheHeadersAndIsDividedAtColumn179) {
  for (int y = 75; y <= 104; ++y) {
    for (const int x : {60, 179, 298}) {
      EXPECT_EQ(ColourAt(background_, x, y), kOutline) << x << "," << y;
    }
    EXPECT_EQ(ColourAt(background_, 59, y), kBlack) << "row " << y;
    EXPECT_EQ(ColourAt(background_, 299, y), kBlack) << "row " << y;
  }
  for (int x = 60; x <= 298; ++x) {
    EXPECT_EQ(ColourAt(background_, x, 75), kOutline) << "column " << x;
    EXPECT_EQ(ColourAt(background_, x, 104), kOutline) << "column " << x;
  }
  for (int y = 76; y <= 103; ++y) {
    for (int x = 61; x <= 297; ++x) {
      if (x != 179) {
        ASSERT_EQ(ColourAt(background_, x, y), kBlack) << x << "," << y;
      }
    }
  }
}

TEST(NoticeBarTest, IsNearWhiteWithRoundEndsOnBlack) {
  const RgbImage bar = Decoded(NoticeBarPicture());
  for (const auto& [x, y] :
       {std::pair{150, 0}, {150, 29}, {15, 15}, {284, 15}, {150, 15}}) {
    EXPECT_EQ(ColourAt(bar, x, y), kNoticeBar) << x << "," << y;
  }
  // Wholly outside the half circles of radius 15 at either end.
  for (const auto& [x, y] :
       {std::pair{0, 0}, {2, 3}, {299, 0}, {0, 29}, {297, 26}, {299, 29}}) {
    EXPECT_EQ(ColourAt(bar, x, y), kBlack) << x << "," << y;
  }
  EXPECT_NE(ColourAt(bar, 0, 15), kNoticeBar);  // the very tip is rounded
}

struct Tab {
  const char* name;
  const ByteSeq& (*picture)();
  bool rounded_left;
  std::uint32_t face;
  std::uint32_t text;
};

void PrintTo(const Tab& param, std::ostream* out) { *out << param.name; }

class TabTest : public ::testing::TestWithParam<Tab> {
 protected:
  RgbImage tab_ = Decoded(GetParam().picture());
};

TEST_P(TabTest, FaceFillsTheHeaderInsideAThinOutline) {
  for (const auto& [x, y] : {std::pair{3, 15}, {116, 15}, {20, 3}, {100, 26}}) {
    EXPECT_EQ(ColourAt(tab_, x, y), GetParam().face) << x << "," << y;
  }
  for (const auto& [x, y] : {std::pair{60, 0}, {60, 29}, {0, 15}, {119, 15}}) {
    EXPECT_EQ(ColourAt(tab_, x, y), kOutline) << x << "," << y;
  }
}

TEST_P(TabTest, OnlyTheOuterCornersAreRounded) {
  const int rounded_x = GetParam().rounded_left ? 0 : 119;
  const int square_x = 119 - rounded_x;
  for (const int y : {0, 29}) {
    EXPECT_EQ(ColourAt(tab_, rounded_x, y), kBlack) << "row " << y;
    EXPECT_EQ(ColourAt(tab_, square_x, y), kOutline) << "row " << y;
  }
}

TEST_P(TabTest, CaptionIsCentredInItsColour) {
  int left = 120, right = -1;
  for (int y = 3; y < 27; ++y) {
    for (int x = 3; x < 117; ++x) {
      if (ColourAt(tab_, x, y) != GetParam().face) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
  }
  ASSERT_LE(left, right) << "no caption";
  EXPECT_NEAR((left + right + 1) / 2.0, 60, 2);
  EXPECT_TRUE(HasColourWithin(tab_, GetParam().text, 5, 24));
}

INSTANTIATE_TEST_SUITE_P(
    Headers, TabTest,
    ::testing::Values(
        Tab{"ApiOn", ApiTabOnPicture, true, kTabOnFace, kTabOnText},
        Tab{"ApiOff", ApiTabOffPicture, true, kTabOffFace, kWhite},
        Tab{"LogOn", LogTabOnPicture, false, kTabOnFace, kTabOnText},
        Tab{"LogOff", LogTabOffPicture, false, kTabOffFace, kWhite}),
    [](const ::testing::TestParamInfo<Tab>& info) {
      return std::string(info.param.name);
    });

struct StateButton {
  const char* name;
  const ByteSeq& (*picture)();
  std::uint32_t colour;
};

void PrintTo(const StateButton& param, std::ostream* out) {
  *out << param.name;
}

class CloseButtonTest : public ::testing::TestWithParam<StateButton> {};

TEST_P(CloseButtonTest, CrossOfAbout13PixelsCentredOnBlack) {
  const RgbImage cross = Decoded(GetParam().picture());
  EXPECT_EQ(ColourAt(cross, 15, 15), GetParam().colour);
  EXPECT_EQ(ColourAt(cross, 12, 12), GetParam().colour);
  EXPECT_EQ(ColourAt(cross, 18, 12), GetParam().colour);
  EXPECT_EQ(ColourAt(cross, 15, 10), kBlack);  // between the upper arms
  EXPECT_EQ(ColourAt(cross, 10, 15), kBlack);  // between the left arms
  const Ink ink = InkWithin(cross, 0, 29);
  EXPECT_GE(ink.left, 8);
  EXPECT_GE(ink.top, 8);
  EXPECT_LE(ink.right, 22);
  EXPECT_LE(ink.bottom, 22);
  EXPECT_GE(ink.right - ink.left + 1, 12);
  EXPECT_GE(ink.bottom - ink.top + 1, 12);
}

INSTANTIATE_TEST_SUITE_P(
    States, CloseButtonTest,
    ::testing::Values(StateButton{"Normal", CloseNormalPicture, kWhite},
                      StateButton{"Hover", CloseHoverPicture, kHover},
                      StateButton{"Pressed", ClosePressedPicture, kPressed}),
    [](const ::testing::TestParamInfo<StateButton>& info) {
      return std::string(info.param.name);
    });

class MinimizeButtonTest : public ::testing::TestWithParam<StateButton> {};

TEST_P(MinimizeButtonTest, BarOf13By2OnRows15And16AndNothingElse) {
  const RgbImage bar = Decoded(GetParam().picture());
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      const bool in_bar = (y == 15 || y == 16) && x >= 9 && x <= 21;
      ASSERT_EQ(ColourAt(bar, x, y), in_bar ? GetParam().colour : kBlack)
          << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    States, MinimizeButtonTest,
    ::testing::Values(StateButton{"Normal", MinimizeNormalPicture, kWhite},
                      StateButton{"Hover", MinimizeHoverPicture, kHover},
                      StateButton{"Pressed", MinimizePressedPicture, kPressed}),
    [](const ::testing::TestParamInfo<StateButton>& info) {
      return std::string(info.param.name);
    });

}  // namespace
}  // namespace board
