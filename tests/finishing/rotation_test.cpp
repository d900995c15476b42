// The quarter turn: R(x, y) = M(W - 1 - y, x) for every size (tiles that do
// not divide the picture included), four turns give the start back, and
// "&Rotate" burns a pending text once and leaves the output geometry alone.
#include "finishing/rotation.h"

#include <gtest/gtest.h>

#include <memory>

#include "finishing/text_overlay.h"
#include "test_pictures.h"

namespace lenti {
namespace {

using testing::MergedState;
using testing::NoisePicture;
using testing::ReferenceTurn;
using testing::SamePixels;

TEST(QuarterTurn, ThreeByTwoExample) {
  // A B C / D E F becomes C F / B E / A D.
  const Color A{1, 2, 3}, B{4, 5, 6}, C{7, 8, 9}, D{10, 11, 12}, E{13, 14, 15}, F{16, 17, 18};
  Raster m(3, 2);
  const Color rows[2][3] = {{A, B, C}, {D, E, F}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) m.SetPixelColor(x, y, rows[y][x]);
  }
  const Raster r = RotateQuarterCounterClockwise(m);
  ASSERT_EQ(r.Width(), 2);
  ASSERT_EQ(r.Height(), 3);
  const Color want[3][2] = {{C, F}, {B, E}, {A, D}};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_EQ(r.PixelColor(x, y), want[y][x]) << x << "," << y;
  }
}

// Sizes around the tiles (256 destination rows by 128 source rows) and the
// four-pixel stores: single pixels, rows and columns, exact multiples, one
// more and one less; widths that are multiples of 4 have rows without
// padding, so the last column's read must stay inside the buffer.
const Size kSizes[] = {{1, 1},     {1, 9},     {9, 1},     {3, 2},     {4, 4},    {4, 7},
                       {8, 3},     {64, 64},   {63, 65},   {128, 1},   {1, 129},  {256, 128},
                       {257, 129}, {255, 127}, {129, 257}, {300, 131}, {12, 300}, {513, 5}};

class QuarterTurnSizes : public ::testing::TestWithParam<Size> {};

TEST_P(QuarterTurnSizes, MatchesThePerPixelRuleAndFourTurnsGiveTheStartBack) {
  const Size size = GetParam();
  const Raster m = NoisePicture(size.width, size.height, static_cast<uint32_t>(size.width * 1000 + size.height));
  Raster turned = RotateQuarterCounterClockwise(m);
  EXPECT_TRUE(SamePixels(turned, ReferenceTurn(m)));
  for (int i = 0; i < 3; ++i) turned = RotateQuarterCounterClockwise(turned);
  EXPECT_TRUE(SamePixels(turned, m));
}

INSTANTIATE_TEST_SUITE_P(AroundTheTile, QuarterTurnSizes, ::testing::ValuesIn(kSizes),
                         [](const auto& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST(QuarterTurn, EmptyRasterStaysEmpty) {
  const Raster turned = RotateQuarterCounterClockwise(Raster());
  EXPECT_TRUE(turned.Empty());
}

TEST(QuarterTurn, PalettedSourceGivesTheSameColoursIn24Bit) {
  Raster grey(5, 3, PixelFormat::pf8bit);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) grey.Row(y)[x] = static_cast<uint8_t>(x * 40 + y);
  }
  const Raster turned = RotateQuarterCounterClockwise(grey);
  ASSERT_EQ(turned.Format(), PixelFormat::pf24bit);
  ASSERT_EQ((Size{turned.Width(), turned.Height()}), (Size{3, 5}));
  for (int y = 0; y < 5; ++y) {
    for (int x = 0; x < 3; ++x) EXPECT_EQ(turned.PixelColor(x, y), grey.PixelColor(4 - y, x));
  }
}

TEST(TurnMerged, TurnsThePictureButNotTheOutputGeometry) {
  MakerState state = MergedState(1698, 2049, 2, 7);
  const Raster original = *state.merged.MergedBitmap;
  TurnMerged(state);
  EXPECT_EQ(state.merged.MergedBitmap->Width(), 2049);
  EXPECT_EQ(state.merged.MergedBitmap->Height(), 1698);
  EXPECT_EQ(state.merged.Geometry.OutputWidth, 1698);
  EXPECT_EQ(state.merged.Geometry.OutputHeight, 2049);
  EXPECT_TRUE(SamePixels(*state.merged.MergedBitmap, ReferenceTurn(original)));
}

TEST(TurnMerged, NothingWithoutAMergedPicture) {
  MakerState state;
  TurnMerged(state);
  EXPECT_FALSE(state.merged.MergedBitmap.has_value());
  EXPECT_TRUE(state.merged.MadeFrom.finishing.empty()) << "no turn recorded";
}

// The text is drawn where it stood on the unturned picture, turns with it,
// and is drawn only once however many turns follow.
TEST(TurnMerged, PendingTextTurnsWithThePictureAndIsDrawnOnce) {
  MakerState state = MergedState(120, 90, 2, 3);
  state.overlay.OverlayText = "Lens 21";
  state.overlay.OverlayFont = std::make_shared<Font>(Font{"DejaVu Sans", 14, true});
  state.overlay.TextX = 10;
  state.overlay.TextY = 20;
  Raster burned = *state.merged.MergedBitmap;
  BurnOverlayText(state, burned);
  ASSERT_FALSE(SamePixels(burned, *state.merged.MergedBitmap)) << "the text drew nothing";

  TurnMerged(state);
  EXPECT_TRUE(state.overlay.OverlayText.empty());
  EXPECT_TRUE(SamePixels(*state.merged.MergedBitmap, ReferenceTurn(burned)));
  for (int i = 0; i < 3; ++i) TurnMerged(state);
  EXPECT_TRUE(SamePixels(*state.merged.MergedBitmap, burned));
  // The position is kept: it addresses the turned picture from now on.
  EXPECT_EQ(state.overlay.TextX, 10);
  EXPECT_EQ(state.overlay.TextY, 20);
}

}  // namespace
}  // namespace lenti
