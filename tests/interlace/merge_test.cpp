// "&Merge" through a scripted frontend: the slot check, a successful merge
// and what it enables, and failures that must leave the previous result,
// its commands and the cursor exactly as they were.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/command_states.h"
#include "core/error.h"
#include "core/file_io.h"
#include "cancel_after_steps.h"
#include "fake_frontend.h"
#include "merge_to_end.h"
#include "core/long_work.h"
#include "interlace/merge.h"
#include "interlace/slot_job.h"
#include "temp_dir.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using testing::FakeFrontend;

struct SlotCase {
  std::vector<int> filled;
  int frame_count;
  const char* message;
};

class CheckSlotsTest : public ::testing::TestWithParam<SlotCase> {};

TEST_P(CheckSlotsTest, ReportsTheFirstEmptySlotInUse) {
  MakerState state;
  state.photos.FrameCount = GetParam().frame_count;
  for (int slot : GetParam().filled) state.photos.SlotFiles[slot - 1] = "photo" + std::to_string(slot);
  EXPECT_EQ(CheckSlots(state), GetParam().message);
  // The message shown starts with that line; with one photo or none it
  // says that a merge needs two.
  const std::string shown = MissingSlotMessage(state);
  EXPECT_EQ(shown.substr(0, shown.find('\n')), GetParam().message);
  EXPECT_EQ(shown.find("needs at least two photos") != std::string::npos, GetParam().filled.size() < 2) << shown;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckSlotsTest,
    ::testing::Values(SlotCase{{}, 2, "Photo1 not select!"}, SlotCase{{2}, 2, "Photo1 not select!"},
                      SlotCase{{1}, 2, "Photo2 not select!"}, SlotCase{{1, 5}, 5, "Photo2 not select!"},
                      SlotCase{{1, 2, 5}, 5, "Photo3 not select!"},
                      SlotCase{{1, 2, 3, 5}, 5, "Photo4 not select!"},
                      SlotCase{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 16,
                               "Photo16 not select!"},
                      SlotCase{{1, 2}, 2, ""}, SlotCase{{1, 2, 7}, 2, ""},
                      SlotCase{{1, 2, 3}, 3, ""}));

Color PhotoColor(int slot) {
  return Color{static_cast<uint8_t>(slot * 10), static_cast<uint8_t>(200 - slot), 7};
}

Color At(const Raster& raster, int x, int y) {
  const uint8_t* p = raster.Row(y) + 3 * x;
  return Color{p[2], p[1], p[0]};
}

class MergeTest : public ::testing::Test {
 protected:
  MergeTest() {
    work_ = root_ + "/work";
    fs::create_directory(work_);
  }

  // A solid 29 x 35 BMP photo in slot k, framed whole at scale 1.
  void Fill(int slot) {
    Raster photo(29, 35, PixelFormat::pf24bit);
    photo.FillRect(photo.ClipRect(), PhotoColor(slot));
    const std::string path = root_ + "/photo" + std::to_string(slot) + ".bmp";
    SaveBmpFile(photo, path);
    state_.photos.SlotFiles[slot - 1] = path;
    state_.photos.CropRects[slot - 1] = CropRecord{0, 0, 29, 35, 0, 0, true};
    state_.photos.CropScales[slot - 1] = 10000;
    if (slot > state_.photos.FrameCount) state_.photos.FrameCount = slot;
  }
  void FillSlots(int count) {
    for (int slot = 1; slot <= count; ++slot) Fill(slot);
  }

  lenti::testing::TempDir temp_{"lenti-merge"};
  std::string root_ = temp_.path().string();
  std::string work_;
  MakerState state_;
  FakeFrontend ui_;
};

TEST_F(MergeTest, ASlotMessageIsTheOnlyEffect) {
  Fill(1);
  Fill(2);
  Fill(5);
  ui_.crop_visible = true;
  const MergeOutcome outcome = MergeToEnd(state_, ui_, ui_, ui_, work_);
  EXPECT_FALSE(outcome.merged);
  EXPECT_EQ(ui_.messages, std::vector<std::string>{
                              "Photo3 not select!\nSlot 3 is empty, but the merge takes every slot from 1 to 5: "
                              "import a photo into slot 3 with its button, or drag a photo there from a later slot."});
  EXPECT_TRUE(ui_.crop_visible);
  EXPECT_TRUE(ui_.screen_cursors.empty());
  EXPECT_TRUE(ui_.progress_history.empty());
  EXPECT_EQ(ui_.progress_max, 100);
  EXPECT_FALSE(state_.merged.MergedBitmap.has_value());
  EXPECT_EQ(state_.photos.StripWidth, 1);
  EXPECT_TRUE(fs::is_empty(work_));
}

TEST_F(MergeTest, TwoFramesGiveTheDocumentedPictureAndEnableTheOutputCommands) {
  FillSlots(2);
  state_.merged.AlignBandWidth = 56;
  ui_.crop_visible = true;
  state_.merged.AlignBarsTicked = true;
  state_.merged.Delivered = true;  // the previous picture was saved; the new one is not
  const MergeOutcome outcome = MergeToEnd(state_, ui_, ui_, ui_, work_);
  EXPECT_TRUE(outcome.merged);
  EXPECT_FALSE(state_.merged.Delivered);
  EXPECT_TRUE(outcome.align_bar_was_checked);
  EXPECT_FALSE(DeriveCommandStates(state_).align_bars_checked);

  ASSERT_TRUE(state_.merged.MergedBitmap.has_value());
  const Raster& merged = *state_.merged.MergedBitmap;
  EXPECT_EQ(merged.Width(), 1698);
  EXPECT_EQ(merged.Height(), 2049);
  EXPECT_EQ(state_.merged.Geometry.StripWidth, 7);
  EXPECT_EQ(state_.merged.Geometry.OutputDpiX, 2975000);
  EXPECT_EQ((Size{state_.merged.Geometry.OutputWidth, state_.merged.Geometry.OutputHeight}), (Size{1698, 2049}));
  const MergeGeometry want{2, 212500, 7, 2975000, 1698, 2049, Mode::PortraitRows};
  EXPECT_EQ(state_.merged.Geometry.FrameCount, want.FrameCount);
  EXPECT_EQ(state_.merged.Geometry.StripWidth, want.StripWidth);
  EXPECT_EQ(state_.merged.Geometry.OutputDpiX, want.OutputDpiX);
  EXPECT_EQ(state_.merged.Geometry.OutputWidth, want.OutputWidth);
  EXPECT_EQ(state_.merged.Geometry.OutputHeight, want.OutputHeight);
  EXPECT_EQ(state_.merged.AlignBandWidth, 0);

  EXPECT_EQ(At(merged, 0, 0), PhotoColor(1));
  EXPECT_EQ(At(merged, 1697, 6), PhotoColor(1));
  EXPECT_EQ(At(merged, 0, 7), PhotoColor(2));
  EXPECT_EQ(At(merged, 0, 14), PhotoColor(1));
  EXPECT_EQ(At(merged, 0, 2045), PhotoColor(1));
  EXPECT_EQ(At(merged, 0, 2046), kWhite);

  EXPECT_EQ(ui_.messages, std::vector<std::string>{"Merged!"});
  EXPECT_FALSE(ui_.crop_visible);
  const CommandStates commands = DeriveCommandStates(state_);
  EXPECT_TRUE(commands.save);
  EXPECT_TRUE(commands.rotate);
  EXPECT_TRUE(commands.print);
  EXPECT_TRUE(commands.align_bars);
  EXPECT_TRUE(commands.place_text);
  EXPECT_FALSE(commands.apply_text);
  EXPECT_EQ(ui_.view.Width(), 485);
  EXPECT_EQ(ui_.view.Height(), 585);
  EXPECT_EQ(LoadBmpFile(work_ + "/x02.bmp").Height(), 1024);
}

// Any change to what the picture was made from marks it out of date, and
// changing it back makes it current again.
TEST_F(MergeTest, APictureIsOutOfDateOnceItsSlotsOrSettingsChange) {
  FillSlots(2);
  ASSERT_TRUE(MergeToEnd(state_, ui_, ui_, ui_, work_).merged);
  EXPECT_FALSE(MergedPictureOutOfDate(state_));
  const MakerState merged = state_;
  const struct {
    const char* name;
    std::function<void(MakerState&)> change;
  } changes[] = {
      {"photos swapped", [](MakerState& s) { std::swap(s.photos.SlotFiles[0], s.photos.SlotFiles[1]); }},
      {"crop moved", [](MakerState& s) { s.photos.CropSources[1] = Rect{1, 0, 29, 35}; }},
      {"photo added", [](MakerState& s) {
         s.photos.SlotFiles[2] = s.photos.SlotFiles[0];
         s.photos.FrameCount = 3;
       }},
      {"Mode turned", [](MakerState& s) { s.mode = Mode::LandscapeColumns; }},
      {"pitch changed", [](MakerState& s) { s.lens.LensLpiX = 400000; }},
  };
  for (const auto& c : changes) {
    MakerState changed = merged;
    c.change(changed);
    EXPECT_TRUE(MergedPictureOutOfDate(changed)) << c.name;
  }
  MakerState unknown = merged;
  unknown.merged.MadeFrom = Job{};
  unknown.mode = Mode::LandscapeColumns;
  EXPECT_FALSE(MergedPictureOutOfDate(unknown)) << "a picture of no recorded job is not compared";
}

TEST_F(MergeTest, ProgressRunsFromItsPositionInStepsOfTenUpToTwoHundredThenZero) {
  FillSlots(2);
  ui_.progress = 120;  // left by an earlier merge that failed
  MergeToEnd(state_, ui_, ui_, ui_, work_);
  EXPECT_EQ(ui_.progress_min, 0);
  EXPECT_EQ(ui_.progress_max, 200);
  ASSERT_GT(ui_.progress_history.size(), 16u);
  EXPECT_EQ(ui_.progress_history[0], 130);
  EXPECT_EQ(ui_.progress_history[7], 200);
  EXPECT_EQ(ui_.progress_history[15], 200);
  for (int p : ui_.progress_history) EXPECT_LE(p, 200);
  EXPECT_EQ(ui_.progress_history.back(), 0);
  // 16 slot steps, 293 strips, the final reset.
  EXPECT_EQ(ui_.progress_history.size(), 16u + 293u + 1u);
}

struct MergeLayout {
  int frames;
  Mode mode;
  Size output;
  int strip;
};

class MergeLayouts : public MergeTest, public ::testing::WithParamInterface<MergeLayout> {};

TEST_P(MergeLayouts, EveryFrameTakesItsStripUnderEachLens) {
  const MergeLayout& p = GetParam();
  FillSlots(p.frames);
  state_.mode = p.mode;
  ASSERT_TRUE(MergeToEnd(state_, ui_, ui_, ui_, work_).merged);
  const Raster& merged = *state_.merged.MergedBitmap;
  ASSERT_EQ((Size{merged.Width(), merged.Height()}), p.output);
  EXPECT_EQ(state_.merged.Geometry.StripWidth, p.strip);
  EXPECT_EQ(state_.merged.Geometry.mode, p.mode);
  const bool rows = p.mode == Mode::PortraitRows;
  const int pitch = p.frames * p.strip;
  for (int pos = 0; pos < 3 * pitch; ++pos) {
    const Color want = PhotoColor(pos % pitch / p.strip + 1);
    EXPECT_EQ(rows ? At(merged, 5, pos) : At(merged, pos, 5), want) << "position " << pos;
  }
  EXPECT_EQ(ui_.messages.back(), "Merged!");
}

INSTANTIATE_TEST_SUITE_P(Layouts, MergeLayouts,
                         ::testing::Values(MergeLayout{2, Mode::LandscapeColumns, {2049, 1698}, 7},
                                           MergeLayout{3, Mode::PortraitRows, {1819, 2196}, 5},
                                           MergeLayout{16, Mode::PortraitRows, {1940, 2342}, 1},
                                           MergeLayout{16, Mode::LandscapeColumns, {2342, 1940}, 1}));

// What a failed merge must leave alone.
struct Snapshot {
  std::vector<uint8_t> pixels;
  Size size;
  int32_t strip, width, height, band_width, band_height;
  int64_t dpi;
  MergeGeometry geometry;
  bool save_enabled;
  std::vector<std::string> messages;
  Size view;

  static Snapshot Of(const MakerState& s, const FakeFrontend& ui) {
    const Raster& m = *s.merged.MergedBitmap;
    const MergeGeometry& g = s.merged.Geometry;
    return Snapshot{std::vector<uint8_t>(m.Bits(), m.Bits() + m.Stride() * m.Height()),
                    Size{m.Width(), m.Height()},
                    g.StripWidth,
                    g.OutputWidth,
                    g.OutputHeight,
                    s.merged.AlignBandWidth,
                    s.merged.AlignBandHeight,
                    g.OutputDpiX,
                    g,
                    DeriveCommandStates(s).save,
                    ui.messages,
                    Size{ui.view.Width(), ui.view.Height()}};
  }
  void ExpectSame(const Snapshot& o) const {
    EXPECT_EQ(size, o.size);
    EXPECT_TRUE(pixels == o.pixels) << "the picture changed";
    EXPECT_EQ(strip, o.strip);
    EXPECT_EQ(dpi, o.dpi);
    EXPECT_EQ((Size{width, height}), (Size{o.width, o.height}));
    EXPECT_EQ((Size{band_width, band_height}), (Size{o.band_width, o.band_height}));
    EXPECT_EQ(geometry.FrameCount, o.geometry.FrameCount);
    EXPECT_EQ(geometry.StripWidth, o.geometry.StripWidth);
    EXPECT_EQ(geometry.OutputDpiX, o.geometry.OutputDpiX);
    EXPECT_EQ(geometry.mode, o.geometry.mode);
    EXPECT_EQ(save_enabled, o.save_enabled);
    EXPECT_EQ(messages, o.messages);
    EXPECT_EQ(view, o.view);
  }
};

enum class Fault { PhotoDeleted, PhotoDamaged, PhotoNotBmp, WorkFolderUnwritable, CropEmpty };

class MergeFailure : public MergeTest, public ::testing::WithParamInterface<Fault> {};

TEST_P(MergeFailure, RaisesAndKeepsThePreviousResultItsCommandsAndTheCursor) {
  FillSlots(2);
  ASSERT_TRUE(MergeToEnd(state_, ui_, ui_, ui_, work_).merged);
  state_.merged.AlignBandWidth = 56;  // the previous picture carries its band
  // The next merge would change every geometry field: three frames, across.
  Fill(3);
  state_.mode = Mode::LandscapeColumns;
  const Snapshot before = Snapshot::Of(state_, ui_);
  std::string work = work_;
  const std::string photo3 = state_.photos.SlotFiles[2];
  switch (GetParam()) {
    case Fault::PhotoDeleted:
      fs::remove(photo3);
      break;
    case Fault::PhotoDamaged: {
      const std::vector<uint8_t> bytes{'B', 'M', 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 54, 0, 0, 0};
      WriteWholeFile(photo3, bytes.data(), bytes.size());
      break;
    }
    case Fault::PhotoNotBmp: {
      const std::string text = "just some notes";
      WriteWholeFile(photo3, reinterpret_cast<const uint8_t*>(text.data()), text.size());
      break;
    }
    case Fault::WorkFolderUnwritable:
      work = root_ + "/photo1.bmp";  // a file where the folder should be
      break;
    case Fault::CropEmpty:
      state_.photos.CropRects[2].Right = state_.photos.CropRects[2].Left;
      break;
  }
  EXPECT_THROW(MergeToEnd(state_, ui_, ui_, ui_, work), Error);
  before.ExpectSame(Snapshot::Of(state_, ui_));
  EXPECT_EQ(ui_.ScreenCursor(), Cursor::Default);
  for (const auto& entry : fs::directory_iterator(work_)) {
    EXPECT_EQ(entry.path().extension(), ".bmp") << entry.path() << " left behind";
  }
}

INSTANTIATE_TEST_SUITE_P(Faults, MergeFailure,
                         ::testing::Values(Fault::PhotoDeleted, Fault::PhotoDamaged,
                                           Fault::PhotoNotBmp, Fault::WorkFolderUnwritable,
                                           Fault::CropEmpty));

TEST_F(MergeTest, AFailedFirstMergeLeavesTheOutputCommandsDisabled) {
  FillSlots(2);
  fs::remove(state_.photos.SlotFiles[1]);
  EXPECT_THROW(MergeToEnd(state_, ui_, ui_, ui_, work_), Error);
  EXPECT_FALSE(state_.merged.MergedBitmap.has_value());
  EXPECT_EQ(state_.merged.Geometry.OutputWidth, 0);
  EXPECT_FALSE(DeriveCommandStates(state_).save);
  EXPECT_FALSE(DeriveCommandStates(state_).place_text);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(ui_.ScreenCursor(), Cursor::Default);
}


// A cancel, whether asked before the work or during its frames or strips,
// stops it with Cancelled and leaves the previous picture as it was.
class MergeCancelTest : public MergeTest, public ::testing::WithParamInterface<int> {};

using testing::CancelAfterSteps;

TEST_P(MergeCancelTest, LeavesThePreviousResult) {
  FillSlots(3);
  ASSERT_TRUE(MergeToEnd(state_, ui_, ui_, ui_, work_).merged);
  const Raster before = *state_.merged.MergedBitmap;
  const MergeGeometry geometry = state_.merged.Geometry;
  ui_.messages.clear();
  Fill(4);
  std::unique_ptr<MergeWork> work = StartMerge(state_, ui_, ui_, work_);
  ASSERT_NE(work, nullptr);
  CancelToken token;
  CancelAfterSteps progress(token, GetParam());
  EXPECT_THROW(work->Run(progress, token), Cancelled);
  EXPECT_EQ(state_.merged.Geometry.FrameCount, geometry.FrameCount);
  EXPECT_EQ(state_.merged.MergedBitmap->Width(), before.Width());
  EXPECT_EQ(state_.merged.MergedBitmap->Height(), before.Height());
  EXPECT_EQ(0, std::memcmp(state_.merged.MergedBitmap->Row(0), before.Row(0), before.Width() * 3));
  EXPECT_TRUE(ui_.messages.empty());  // no "Merged!"
}

// 0: before the work; 1..2: while frames are sliced; 30: among the strips.
INSTANTIATE_TEST_SUITE_P(Moments, MergeCancelTest, ::testing::Values(0, 1, 2, 30));

TEST_F(MergeTest, WorkRunToItsEndIsTheSynchronousMerge) {
  FillSlots(2);
  std::unique_ptr<MergeWork> work = StartMerge(state_, ui_, ui_, work_);
  ASSERT_NE(work, nullptr);
  RunToEnd(*work, ui_);
  EXPECT_TRUE(work->Outcome().merged);
  EXPECT_EQ(ui_.messages, std::vector<std::string>{"Merged!"});
  EXPECT_EQ(ui_.progress, 0);
}

}  // namespace
}  // namespace lenti
