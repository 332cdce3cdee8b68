// Damaged pictures, made from valid ones by seeded random changes. The
// decoder must give either nothing or a whole, consistent image, and never
// read or write out of bounds (the sanitizer build checks the latter).

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <string>

#include "tests/ui/pictures/png_builder.h"
#include "ui/pictures/pictures.h"
#include "ui/pictures/png_decoder.h"

namespace board {
namespace {

using namespace std::string_literals;

constexpr int kRounds = 1500;

// Raw engine output only, so the sequence is the same on every library.
class Damage {
 public:
  explicit Damage(std::uint32_t seed) : engine_(seed) {}

  std::size_t Below(std::size_t limit) { return engine_() % limit; }

  std::string Apply(std::string png) {
    const std::size_t changes = 1 + Below(4);
    for (std::size_t i = 0; i < changes && !png.empty(); ++i) {
      png[Below(png.size())] = static_cast<char>(engine_() & 0xFF);
    }
    if (Below(4) == 0) {
      png.resize(Below(png.size() + 1));
    }
    return png;
  }

 private:
  std::mt19937 engine_;
};

void ExpectWholeOrNothing(const std::string& png) {
  const ByteSeq bytes(png);
  if (const std::optional<RgbImage> rgb = DecodePng(bytes)) {
    ASSERT_GT(rgb->width, 0);
    ASSERT_GT(rgb->height, 0);
    ASSERT_LE(rgb->width, kMaxPictureSide);
    ASSERT_LE(rgb->height, kMaxPictureSide);
    ASSERT_EQ(rgb->pixels.size(),
              static_cast<std::size_t>(rgb->width) * rgb->height * 3);
  }
  if (const std::optional<RgbaImage> rgba = DecodePngWithAlpha(bytes)) {
    ASSERT_EQ(rgba->pixels.size(),
              static_cast<std::size_t>(rgba->width) * rgba->height * 4);
  }
}

struct Seed {
  const char* name;
  std::string png;
};

void PrintTo(const Seed& param, std::ostream* out) { *out << param.name; }

testing::PngSpec PaethFiltered4x4() {
  testing::PngSpec layout{4, 4, 8, testing::kRgba, {}, {}, {}};
  for (int row = 0; row < 4; ++row) {
    layout.rows.push_back("\x04"s +
                          std::string(16, static_cast<char>(row * 40)));
  }
  return layout;
}

class DamagedPngTest : public ::testing::TestWithParam<Seed> {};

// Most damage is caught by the chunk checksums.
TEST_P(DamagedPngTest, RawDamageGivesWholeImageOrNothing) {
  Damage damage(12345);
  for (int round = 0; round < kRounds; ++round) {
    ExpectWholeOrNothing(damage.Apply(GetParam().png));
    if (HasFatalFailure()) {
      FAIL() << "round " << round;
    }
  }
}

// With the checksums made right again, the damage reaches the header
// checks, the decompressor and the row filters.
TEST_P(DamagedPngTest, DamageBehindValidChecksumsGivesWholeImageOrNothing) {
  Damage damage(67890);
  for (int round = 0; round < kRounds; ++round) {
    std::string png = damage.Apply(GetParam().png);
    testing::RepairChecksums(png);
    ExpectWholeOrNothing(png);
    if (HasFatalFailure()) {
      FAIL() << "round " << round;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Seeds, DamagedPngTest,
    ::testing::Values(
        Seed{"CloseButton", std::string(CloseNormalPicture().View())},
        Seed{"Tab", std::string(ApiTabOffPicture().View())},
        Seed{"PaletteWithTransparency",
             std::string(
                 testing::BuildPng({3,
                                    2,
                                    4,
                                    testing::kPalette,
                                    {"\0\x01\x20"s, "\x01\x12\x00"s},
                                    "\x10\x20\x30\x40\x50\x60\x70\x80\x90"s,
                                    "\x00\x80"s})
                     .View())},
        Seed{"PaethFilteredRgba",
             std::string(testing::BuildPng(PaethFiltered4x4()).View())},
        Seed{"InterlacedGrey",
             std::string(testing::BuildPng({2,
                                            2,
                                            8,
                                            testing::kGrey,
                                            {"\0\x10"s, "\0\x20"s,
                                             "\0\x30\x40"s},
                                            {},
                                            {},
                                            true})
                             .View())}),
    [](const ::testing::TestParamInfo<Seed>& info) {
      return std::string(info.param.name);
    });

}  // namespace
}  // namespace board
