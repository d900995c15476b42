// The window's alignment on its slots, run as the window runs it (imports
// to their end, the fake frontend as its view): Align frames, the subject
// click, the onion skin that shows what is left to align, the nudge.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "align/slot_alignment.h"
#include "aligned_scene.h"
#include "core/file_io.h"
#include "fake_frontend.h"
#include "import_to_end.h"
#include "intake/onion_skin.h"
#include "intake/slots.h"
#include "interlace/slot_job.h"
#include "temp_dir.h"

namespace lenti {
namespace {

using testing::FakeFrontend;
using testing::NoiseScene;
using testing::ShotPlacement;
using testing::TempDir;

const std::vector<ShotPlacement> kShots{{}, {9.5, -4.25}, {-14.75, 6.5}};

class SlotAlignment : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> files;
    for (size_t k = 0; k < kShots.size(); ++k)
      files.push_back(Photo("p" + std::to_string(k), Shot(kShots[k], k)));
    Import(files);
  }
  Raster Shot(const ShotPlacement& p, size_t k) const {
    return testing::Shot(scene_, 480, 360, p, 2.0, static_cast<uint32_t>(k + 1));
  }
  std::string Photo(const std::string& name, const Raster& photo) const {
    const std::vector<uint8_t> bytes = EncodeJpeg(photo, 90);
    const std::string path = dir_ / (name + ".jpg");
    WriteWholeFile(path, bytes.data(), bytes.size());
    return path;
  }
  void Import(const std::vector<std::string>& files) {
    ImportFilesToEnd(state_, fe_, fe_, work_.path().string(), 1, files);
    // Each slot framed as the window frames a slot it shows.
    for (int slot = static_cast<int>(files.size()); slot >= 1; --slot)
      SelectSlot(state_, fe_, slot);
  }
  const FramePlacement& Placement(int slot) const {
    return state_.photos.Placements[static_cast<size_t>(slot - 1)];
  }
  // The mean difference the onion skin shows over slot `slot`.
  double OnionDifference(int slot) {
    SelectSlot(state_, fe_, slot);
    SetOnionView(state_, OnionView::Difference);
    const Raster overlay = OnionOverlay(*OnionInputsOf(state_));
    double sum = 0;
    for (int y = 0; y < overlay.Height(); ++y) {
      for (int x = 0; x < overlay.Width() * 3; ++x) sum += overlay.Row(y)[x];
    }
    return sum / (overlay.Width() * 3.0 * overlay.Height());
  }

  NoiseScene scene_{61};
  TempDir dir_;
  TempDir work_;
  FakeFrontend fe_;
  MakerState state_;
};

TEST_F(SlotAlignment, AlignFramesMovesEachCropOntoTheReferenceAndTheJobKeepsIt) {
  EXPECT_TRUE(AlignSlots(state_, AlignModel::Translation).empty());
  EXPECT_EQ(Placement(1), FramePlacement{});
  for (int slot = 2; slot <= 3; ++slot) {
    EXPECT_NEAR(Placement(slot).shift_x, kShots[static_cast<size_t>(slot - 1)].dx, 0.5);
    EXPECT_NEAR(Placement(slot).shift_y, kShots[static_cast<size_t>(slot - 1)].dy, 0.5);
  }
  const Job job = JobOfState(state_);
  EXPECT_EQ(job.frames[1].placement, Placement(2));
}

TEST_F(SlotAlignment, TheOnionSkinShowsWhatIsLeftToAlign) {
  const double before = OnionDifference(3);
  AlignSlots(state_, AlignModel::Translation);
  const double after = OnionDifference(3);
  EXPECT_LT(after, before / 4) << before << " -> " << after;
}

TEST_F(SlotAlignment, TheBlendGoesFromTheCurrentFrameToTheReference) {
  SelectSlot(state_, fe_, 2);
  SetOnionView(state_, OnionView::Blend);
  SetOnionOpacity(state_, 0);
  const Raster mine = OnionOverlay(*OnionInputsOf(state_));
  SetOnionOpacity(state_, 100);
  const Raster theirs = OnionOverlay(*OnionInputsOf(state_));
  SetOnionOpacity(state_, 50);
  const Raster half = OnionOverlay(*OnionInputsOf(state_));
  const int x = mine.Width() / 2;
  const int y = mine.Height() / 2;
  for (int c = 0; c < 3; ++c) {
    const int expected = (mine.Row(y)[3 * x + c] + theirs.Row(y)[3 * x + c]) / 2;
    EXPECT_NEAR(half.Row(y)[3 * x + c], expected, 1);
  }
  // On the reference itself there is nothing to compare with.
  SelectSlot(state_, fe_, 1);
  EXPECT_FALSE(OnionInputsOf(state_));
}

TEST_F(SlotAlignment, AClickOnTheSubjectMakesItsSlotTheReference) {
  SelectSlot(state_, fe_, 2);
  const CropRecord& record = state_.photos.CropRects[1];
  const double scale = state_.photos.CropScales[1] / 10000.0;
  const int x = static_cast<int>(200 / scale) + record.OffsetX;
  const int y = static_cast<int>(150 / scale) + record.OffsetY;
  EXPECT_TRUE(AlignSlotsOnSubject(state_, x, y).empty());
  EXPECT_EQ(state_.photos.Onion.reference_slot, 2);
  EXPECT_EQ(Placement(2), FramePlacement{});
  // Slot 1's content sits 9.5 pixels to the left of slot 2's.
  EXPECT_NEAR(Placement(1).shift_x, -kShots[1].dx, 0.5);
  EXPECT_NEAR(Placement(3).shift_x, kShots[2].dx - kShots[1].dx, 0.5);
  EXPECT_NEAR(Placement(3).shift_y, kShots[2].dy - kShots[1].dy, 0.5);
}

TEST_F(SlotAlignment, ArrowKeysNudgeTheCurrentCropAndResetTakesItBack) {
  SelectSlot(state_, fe_, 3);
  NudgeCurrentFrame(state_, 1, 0);
  NudgeCurrentFrame(state_, 0, -10);
  EXPECT_EQ(Placement(3), (FramePlacement{1, -10, 0, 1}));
  EXPECT_EQ(JobOfState(state_).frames[2].placement, Placement(3));
  ResetPlacement(state_, 3);
  EXPECT_EQ(Placement(3), FramePlacement{});
}

TEST_F(SlotAlignment, ASlotThatCannotBeAlignedStaysAndIsNamed) {
  Raster flat(480, 360, PixelFormat::pf24bit);
  flat.FillRect(flat.ClipRect(), Color{50, 60, 70});
  ImportFilesToEnd(state_, fe_, fe_, work_.path().string(), 3, {Photo("flat", flat)});
  SelectSlot(state_, fe_, 3);
  NudgeCurrentFrame(state_, 2, 2);
  const std::vector<std::string> problems = AlignSlots(state_, AlignModel::Similarity);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], "Photo 3 has no texture to align on (it is one flat colour)");
  EXPECT_EQ(Placement(3), (FramePlacement{2, 2, 0, 1}));
  EXPECT_NEAR(Placement(2).shift_x, kShots[1].dx, 0.5);
}

}  // namespace
}  // namespace lenti
