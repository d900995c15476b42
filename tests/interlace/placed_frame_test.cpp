// Frame preparation of aligned frames: the placement moves, turns and
// scales the crop on the photo within the frame's one sampling; a frame
// placed as framed, or moved by whole pixels, gives exactly the bytes of
// the crop it names.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "interlace/merge_pipeline.h"
#include "interlace/placed_frame.h"
#include "pattern_photos.h"
#include "slicing.h"

namespace lenti {
namespace {

using testing::Pattern;
using testing::RasterPhotoSource;
using testing::SamePixels;

// One frame through the merge pipeline, read from `photo` in memory.
Raster PipelineSlice(const Raster& photo, const Rect& crop, const FramePlacement& placement,
                     Size slice, Sampling sampling) {
  MergeRequest request;
  request.geometry.slice = slice;
  request.sampling = sampling;
  request.open = [&photo](const std::string&) {
    return std::make_unique<RasterPhotoSource>(photo);
  };
  PipelineFrame frame;
  frame.path = "photo";
  frame.source_rect = crop;
  frame.placement = placement;
  request.frames.push_back(frame);
  return std::move(PrepareSlices(request).front());
}

struct WholeShiftCase {
  const char* name;
  FramePlacement placement;
  Sampling sampling;
};

class WholePixelPlacements : public ::testing::TestWithParam<WholeShiftCase> {};

TEST_P(WholePixelPlacements, GiveTheBytesOfTheMovedCrop) {
  const WholeShiftCase& c = GetParam();
  const Raster photo = Pattern(90, 70, 3);
  const Rect crop{10, 8, 70, 60};
  const Size slice{17, 23};
  const Rect moved = ShiftedCrop(crop, c.placement);
  RasterPhotoSource source(photo);
  const Raster expected = SliceFromSource(source, moved, slice, 1, c.sampling);
  EXPECT_TRUE(SamePixels(PipelineSlice(photo, crop, c.placement, slice, c.sampling), expected));
}

const WholeShiftCase kWholeShifts[] = {
    {"AsFramedNearest", {}, Sampling::Nearest},
    {"AsFramedArea", {}, Sampling::Area},
    {"RightAndUp", {7, -5}, Sampling::Nearest},
    {"PastTheEdgeByArea", {-15, 14}, Sampling::Area},
};

INSTANTIATE_TEST_SUITE_P(Placements, WholePixelPlacements, ::testing::ValuesIn(kWholeShifts),
                         [](const auto& info) { return std::string(info.param.name); });

// A photo whose blue channel is 2x + 1 and green 3y + 2 (within a byte for
// 120 x 80): a sample's place reads back from its colour.
Raster Ramps() {
  Raster photo(120, 80, PixelFormat::pf24bit);
  for (int y = 0; y < photo.Height(); ++y) {
    for (int x = 0; x < photo.Width(); ++x) {
      uint8_t* p = photo.Row(y) + 3 * x;
      p[0] = static_cast<uint8_t>(2 * x + 1);
      p[1] = static_cast<uint8_t>(3 * y + 2);
      p[2] = 100;
    }
  }
  return photo;
}

// The photo point a slice pixel centre looks at, by the documented rule.
void LooksAt(const Rect& crop, const FramePlacement& p, Size slice, int i, int j, double& x,
             double& y) {
  const double ux = (i + 0.5) * crop.Width() / slice.width - crop.Width() / 2.0;
  const double uy = (j + 0.5) * crop.Height() / slice.height - crop.Height() / 2.0;
  const double turn = p.angle * std::acos(-1.0) / 180;
  const double c = p.scale * std::cos(turn);
  const double s = p.scale * std::sin(turn);
  x = (crop.left + crop.right) / 2.0 + p.shift_x + c * ux + s * uy;
  y = (crop.top + crop.bottom) / 2.0 + p.shift_y - s * ux + c * uy;
}

struct PlacedCase {
  const char* name;
  FramePlacement placement;
  Size slice;
};

class PlacedSampling : public ::testing::TestWithParam<PlacedCase> {};

// Blending a ramp gives the ramp at the point: every slice pixel's colour
// says where it looked, within rounding.
TEST_P(PlacedSampling, EachSlicePixelShowsThePhotoPointItsCentreFallsOn) {
  const PlacedCase& c = GetParam();
  const Raster photo = Ramps();
  const Rect crop{30, 20, 90, 60};
  const Raster slice = PipelineSlice(photo, crop, c.placement, c.slice, Sampling::Area);
  for (int j = 1; j + 1 < c.slice.height; ++j) {
    for (int i = 1; i + 1 < c.slice.width; ++i) {
      double x;
      double y;
      LooksAt(crop, c.placement, c.slice, i, j, x, y);
      const uint8_t* p = slice.Row(j) + 3 * i;
      // Pixel k's centre is k + 0.5, where the ramp is 2k + 1.
      ASSERT_NEAR(p[0], 2 * x, 1.01) << i << "," << j;
      ASSERT_NEAR(p[1], 3 * y + 0.5, 1.51) << i << "," << j;
    }
  }
}

const PlacedCase kPlaced[] = {
    {"FractionalShift", {10.25, -4.5}, {60, 40}},
    {"TurnedTwoDegrees", {0, 0, 2}, {60, 40}},
    {"TurnedBackAndScaled", {-3.75, 2.25, -1.5, 1.03}, {60, 40}},
    {"SqueezedAcross", {0.5, 0.5, 1, 0.98}, {12, 40}},
};

INSTANTIATE_TEST_SUITE_P(Placements, PlacedSampling, ::testing::ValuesIn(kPlaced),
                         [](const auto& info) { return std::string(info.param.name); });

// A quarter turn counter-clockwise of a square crop shows the photo turned
// clockwise: its bottom-left corner comes to the slice's top left.
TEST(PlacedSampling, AQuarterTurnShowsThePhotoTurnedBack) {
  const Raster photo = Pattern(64, 64, 1);
  const Rect crop{8, 8, 40, 40};
  const Raster slice =
      PipelineSlice(photo, crop, FramePlacement{0, 0, 90, 1}, Size{32, 32}, Sampling::Nearest);
  for (int j = 0; j < 32; ++j) {
    for (int i = 0; i < 32; ++i) {
      ASSERT_EQ(slice.PixelColor(i, j), photo.PixelColor(crop.left + j, crop.bottom - 1 - i))
          << i << "," << j;
    }
  }
}

TEST(PlacedSampling, WhatLiesOutsideThePhotoIsWhite) {
  const Raster photo = Pattern(64, 64, 1);
  const Raster slice = PipelineSlice(photo, Rect{0, 0, 32, 32}, FramePlacement{-40.5, 0, 1, 1},
                                     Size{16, 16}, Sampling::Area);
  for (int j = 0; j < 16; ++j) {
    for (int i = 0; i < 16; ++i) ASSERT_EQ(slice.PixelColor(i, j), (Color{255, 255, 255}));
  }
}

}  // namespace
}  // namespace lenti
