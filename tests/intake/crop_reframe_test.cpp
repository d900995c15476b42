// Crops that follow the picture's shape: a new size or Mode gives every
// framed photo a crop of the new ratio around its centre, inside its photo.
#include "intake/crop_reframe.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>

#include "fake_frontend.h"
#include "interlace/slot_job.h"

namespace lenti {
namespace {

int Width(const Rect& r) { return r.right - r.left; }
int Height(const Rect& r) { return r.bottom - r.top; }

struct ReshapeCase {
  const char* name;
  Rect crop;
  CropRatio ratio;
  Size photo;
  Rect expected;
};

const ReshapeCase kReshapes[] = {
    {"AlreadyOfTheRatio", {10, 20, 155, 195}, {145, 175}, {1000, 1000}, {10, 20, 155, 195}},
    // Seven eighths of the largest upright crop becomes seven eighths of the
    // largest crop across, around the same centre.
    {"UprightToAcross", {775, 125, 2225, 1875}, {175, 145}, {3000, 2000}, {444, 125, 2556, 1875}},
    // The largest crop stays the largest (833.5 rounds to even).
    {"LargestStaysLargest", {671, 0, 2329, 2000}, {100, 150}, {3000, 2000}, {834, 0, 2167, 2000}},
    // Centred it would start at x = -15: moved inside the photo.
    {"MovedInsideThePhoto", {0, 0, 145, 175}, {175, 145}, {1000, 1000}, {0, 15, 175, 160}},
    // A photo of unknown size bounds nothing: the same area.
    {"UnknownPhotoSize", {0, 0, 145, 175}, {175, 145}, {0, 0}, {-15, 15, 160, 160}},
};

class ReshapeTable : public ::testing::TestWithParam<ReshapeCase> {};

TEST_P(ReshapeTable, TakesTheRatioAroundTheCentre) {
  const ReshapeCase& c = GetParam();
  EXPECT_EQ(ReshapeCrop(c.crop, c.ratio, c.photo), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Crops, ReshapeTable, ::testing::ValuesIn(kReshapes),
                         [](const auto& info) { return std::string(info.param.name); });

// Two photos framed at 14.5 x 17.5 cm upright, then the Mode turned across
// and the size set to 10 x 15 cm: every crop is of the slice's ratio (so a
// merge stretches nothing), inside its photo, and the rectangle follows.
TEST(ReframeCrops, EveryFramedSlotTakesTheNewShape) {
  MakerState state;
  testing::FakeFrontend view;
  const Size photos[] = {{3000, 2000}, {1200, 1600}};
  for (uint8_t i = 0; i < 2; ++i) {
    state.photos.CurrentSlot = i;
    state.photos.SlotFiles[i] = "photo.bmp";
    state.photos.Sources[i].pixels = photos[i];
    FitAndFrame(state, view, photos[i]);
  }
  const Rect upright = SlotCropInSource(state.photos, 2);
  for (const auto& [mode, width, height] : {std::tuple{Mode::LandscapeColumns, 1450, 1750},
                                            std::tuple{Mode::LandscapeColumns, 1000, 1500},
                                            std::tuple{Mode::PortraitRows, 1000, 1500}}) {
    state.mode = mode;
    state.lens.WidthCmX100 = width;
    state.lens.HeightCmX100 = height;
    ReframeCrops(state, view);
    const CropRatio ratio = CropRatioFor(state.lens, state.mode);
    for (int slot = 1; slot <= 2; ++slot) {
      const Rect crop = SlotCropInSource(state.photos, slot);
      const Size photo = photos[slot - 1];
      EXPECT_LE(std::abs(Width(crop) * ratio.high - Height(crop) * ratio.wide), ratio.wide)
          << "slot " << slot << " at " << width << " x " << height;
      EXPECT_TRUE(crop.left >= 0 && crop.top >= 0 && crop.right <= photo.width && crop.bottom <= photo.height);
    }
    const CropRecord& shown = state.photos.CropRects[1];
    EXPECT_EQ(view.shown_crop, (Rect{shown.Left, shown.Top, shown.Right, shown.Bottom}));
  }
  // Back to the first shape: the same crop within a pixel, not one that crept.
  state.lens = LensSettings{};
  ReframeCrops(state, view);
  const Rect back = SlotCropInSource(state.photos, 2);
  EXPECT_LE(std::abs(back.left - upright.left) + std::abs(back.right - upright.right), 2);
  EXPECT_LE(std::abs(back.top - upright.top) + std::abs(back.bottom - upright.bottom), 2);
}

}  // namespace
}  // namespace lenti
