// Area sampling: every slice pixel is the exact average of what it covers;
// nearest neighbour stays the classic StretchDraw.
#include "interlace/area_sampling.h"

#include <cstring>

#include <gtest/gtest.h>

#include "error_of.h"
#include "interlace/frame.h"

namespace lenti {
namespace {

using testing::ErrorOf;

// A one-row raster whose pixels are grey levels.
Raster GreyRow(const std::vector<uint8_t>& levels) {
  Raster r(static_cast<int>(levels.size()), 1, PixelFormat::pf24bit);
  for (size_t x = 0; x < levels.size(); ++x) r.SetPixelColor(static_cast<int>(x), 0, Color{levels[x], levels[x], levels[x]});
  return r;
}

std::vector<int> Levels(const Raster& r, int row = 0) {
  std::vector<int> out;
  for (int x = 0; x < r.Width(); ++x) out.push_back(r.PixelColor(x, row).r);
  return out;
}

TEST(AreaScale, EachPixelIsTheAverageOfWhatItCovers) {
  // 4 -> 3: [0, 4/3) [4/3, 8/3) [8/3, 4), the edge pixels by their share.
  EXPECT_EQ(Levels(AreaScale(GreyRow({0, 120, 240, 60}), Size{3, 1})), (std::vector<int>{30, 180, 105}));
  EXPECT_EQ(Levels(AreaScale(GreyRow({0, 90, 180}), Size{1, 1})), (std::vector<int>{90}));
  // Enlarging repeats or blends the one or two pixels a slice pixel lies over.
  EXPECT_EQ(Levels(AreaScale(GreyRow({0, 200}), Size{4, 1})), (std::vector<int>{0, 0, 200, 200}));
  EXPECT_EQ(Levels(AreaScale(GreyRow({0, 200}), Size{3, 1})), (std::vector<int>{0, 100, 200}));
}

TEST(AreaScale, AveragesDownTheColumnsToo) {
  Raster column(1, 6, PixelFormat::pf24bit);
  const uint8_t levels[] = {10, 20, 30, 40, 50, 255};
  for (int y = 0; y < 6; ++y) column.SetPixelColor(0, y, Color{levels[y], 0, 0});
  const Raster down = AreaScale(column, Size{1, 4});  // 1.5 source rows each
  const int expected[] = {13, 27, 43, 187};  // (10 + 20 / 2) / 1.5 ... (50 / 2 + 255) / 1.5
  for (int y = 0; y < 4; ++y) EXPECT_EQ(down.PixelColor(0, y).r, expected[y]) << y;
}

TEST(AreaScale, AFineGratingBecomesItsAverageWhereNearestAliases) {
  // One-pixel black and white rows squeezed 4:1, as a 12 MP photo squeezed
  // into strips: nearest keeps one row in four (all black or all white),
  // area gives their grey.
  Raster grating(8, 64, PixelFormat::pf24bit);
  for (int y = 0; y < 64; ++y) grating.FillRect(Rect{0, y, 8, y + 1}, y % 2 ? kWhite : kBlack);
  const Raster area = AreaScale(grating, Size{8, 16});
  const Raster nearest = ScaleCropBySampling(grating, Size{8, 16}, Sampling::Nearest);
  for (int y = 0; y < 16; ++y) {
    EXPECT_EQ(area.PixelColor(3, y), (Color{128, 128, 128})) << y;  // 127.5 rounds up
    const Color kept = nearest.PixelColor(3, y);
    EXPECT_TRUE(kept == kBlack || kept == kWhite) << y;
  }
}

TEST(AreaScale, UniformPicturesStayUniformAtAnyScale) {
  Raster flat(37, 23, PixelFormat::pf24bit);
  flat.FillRect(flat.ClipRect(), Color{12, 200, 77});
  for (Size size : {Size{5, 3}, Size{37, 23}, Size{100, 71}, Size{1, 1}}) {
    const Raster out = AreaScale(flat, size);
    for (int y = 0; y < out.Height(); ++y) {
      for (int x = 0; x < out.Width(); ++x) ASSERT_EQ(out.PixelColor(x, y), (Color{12, 200, 77}));
    }
  }
}

TEST(AreaScale, PalettePicturesAreReadThroughTheirPalette) {
  Raster grey(4, 2, PixelFormat::pf8bit);
  grey.SetPalette(GreyPalette());
  for (int x = 0; x < 4; ++x) {
    grey.ScanLine(0)[x] = static_cast<uint8_t>(x * 60);
    grey.ScanLine(1)[x] = static_cast<uint8_t>(x * 60);
  }
  const Raster out = AreaScale(grey, Size{2, 1});
  EXPECT_EQ(out.Format(), PixelFormat::pf24bit);
  EXPECT_EQ(out.PixelColor(0, 0), (Color{30, 30, 30}));
  EXPECT_EQ(out.PixelColor(1, 0), (Color{150, 150, 150}));
}

TEST(AreaScale, EmptyCropOrSliceIsRefused) {
  EXPECT_EQ(ErrorOf([] { AreaScale(Raster(4, 4), Size{0, 3}); }), "The slice size 0 x 3 is empty");
  EXPECT_EQ(ErrorOf([] { AreaScale(Raster(), Size{3, 3}); }), "The crop to scale is empty");
}

TEST(ScaleCropBySampling, NearestIsTheClassicStretchDraw) {
  Raster crop(31, 17, PixelFormat::pf24bit);
  for (int y = 0; y < 17; ++y) {
    for (int x = 0; x < 31; ++x) crop.SetPixelColor(x, y, Color{uint8_t(x * 8), uint8_t(y * 15), uint8_t(x ^ y)});
  }
  const Raster classic = ScaleCropToSlice(crop, Size{13, 40});
  const Raster chosen = ScaleCropBySampling(crop, Size{13, 40}, Sampling::Nearest);
  for (int y = 0; y < 40; ++y) {
    ASSERT_EQ(0, std::memcmp(classic.Row(y), chosen.Row(y), 13 * 3)) << y;
  }
}

}  // namespace
}  // namespace lenti
