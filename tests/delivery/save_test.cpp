// "&Save": the file is the raster's own BMP with both resolution fields set
// to the merge's dpi, the pending text lands in the file but not in
// MergedBitmap, and a failed write loses nothing.
#include "delivery/save.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/bmp_reader.h"
#include "core/bmp_writer.h"
#include "core/error.h"
#include "fake_frontend.h"
#include "finishing/text_overlay.h"
#include "tiny_disk.h"

namespace lenti {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::SmallDisk;
using testing::TempDir;
using testing::WriteBytes;

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// An odd-sized gradient, so rows carry padding and neighbours differ.
Raster Gradient(int width, int height) {
  Raster r(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      r.SetPixelColor(x, y, Color{static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 7),
                                  static_cast<uint8_t>((x + y) * 3)});
    }
  }
  return r;
}

// The state right after a merge of `frames` frames at 21.25 lpi.
MakerState MergedState(int frames, int strip_width, Raster picture) {
  MakerState state;
  state.photos.FrameCount = frames;
  state.photos.StripWidth = strip_width;
  state.merged.Geometry.FrameCount = frames;
  state.merged.Geometry.LensLpiX = state.lens.LensLpiX;
  state.merged.Geometry.StripWidth = strip_width;
  state.merged.Geometry.OutputDpiX = int64_t{frames} * state.lens.LensLpiX * strip_width;
  state.merged.MergedBitmap = std::move(picture);
  return state;
}

// Every byte of `file` equals `expected` except the two stamped fields.
void ExpectStampedCopyOf(const std::vector<uint8_t>& file, const std::vector<uint8_t>& expected,
                         uint32_t ppm) {
  ASSERT_EQ(file.size(), expected.size());
  EXPECT_EQ(Le32(file, 38), ppm);
  EXPECT_EQ(Le32(file, 42), ppm);
  for (size_t i = 0; i < file.size(); ++i) {
    if (i >= 38 && i < 46) continue;
    ASSERT_EQ(file[i], expected[i]) << "byte " << i;
  }
}

struct StampCase {
  int frames;
  int strip_width;
  double dpi;
  uint32_t ppm;
};

void PrintTo(const StampCase& c, std::ostream* os) { *os << c.frames << " frames"; }

class SaveStamp : public ::testing::TestWithParam<StampCase> {};

TEST_P(SaveStamp, FileIsTheRastersBmpWithTheMergeResolution) {
  const StampCase c = GetParam();
  TempDir dir;
  const fs::path target = dir.path() / "out.bmp";
  MakerState state = MergedState(c.frames, c.strip_width, Gradient(47, 33));
  testing::FakeFrontend frontend;
  frontend.save_answers = {target.string()};

  EXPECT_DOUBLE_EQ(MergedDpi(state), c.dpi);
  SaveMerged(state, frontend);

  ExpectStampedCopyOf(ReadBytes(target), EncodeBmp(*state.merged.MergedBitmap), c.ppm);
}

INSTANTIATE_TEST_SUITE_P(MergedResolutions, SaveStamp,
                         ::testing::Values(StampCase{2, 7, 297.5, 11710},  // BE 2D 00 00
                                           StampCase{3, 5, 318.75, 12546},
                                           StampCase{4, 4, 340, 13383},
                                           StampCase{10, 1, 212.5, 8364},
                                           StampCase{9, 2, 382.5, 15055}));

TEST(SaveMerged, AnImportAfterTheMergeDoesNotChangeTheStamp) {
  TempDir dir;
  const fs::path target = dir.path() / "out.bmp";
  MakerState state = MergedState(2, 7, Gradient(20, 9));
  // Importing into slot 3 raises FrameCount and applies the import's strip
  // rule; the picture is still the 297.5 dpi one of the merge.
  state.photos.FrameCount = 3;
  state.photos.StripWidth = 4;
  testing::FakeFrontend frontend;
  frontend.save_answers = {target.string()};
  SaveMerged(state, frontend);
  const std::vector<uint8_t> file = ReadBytes(target);
  EXPECT_EQ(Le32(file, 38), 11710u);
  EXPECT_EQ(Le32(file, 42), 11710u);
}

// The pending text: black 20-point "Hi" on a white picture.
MakerState StateWithText(int x, int y) {
  Raster white(240, 60);
  MakerState state = MergedState(2, 7, white);
  state.overlay.OverlayText = "Hi";
  auto font = std::make_shared<Font>();
  font->family = "DejaVu Sans";
  font->size = 20;
  state.overlay.OverlayFont = font;
  state.overlay.TextX = x;
  state.overlay.TextY = y;
  return state;
}

// True when some pixel of `rect` in the decoded file is not white.
bool HasInk(const Raster& picture, const Rect& rect) {
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      if (!(picture.PixelColor(x, y) == kWhite)) return true;
    }
  }
  return false;
}

TEST(SaveMerged, AMovedTextAppearsOnceAtItsNewPlace) {
  TempDir dir;
  MakerState state = StateWithText(10, 10);
  const Raster before = *state.merged.MergedBitmap;
  testing::FakeFrontend frontend;
  frontend.save_answers = {(dir.path() / "first.bmp").string(), (dir.path() / "second.bmp").string()};
  const Rect old_place{0, 0, 100, 60};
  const Rect new_place{130, 0, 240, 60};

  SaveMerged(state, frontend);
  state.overlay.TextX = 140;
  SaveMerged(state, frontend);

  const Raster first = LoadBmpFile((dir.path() / "first.bmp").string());
  const Raster second = LoadBmpFile((dir.path() / "second.bmp").string());
  EXPECT_TRUE(HasInk(first, old_place));
  EXPECT_FALSE(HasInk(first, new_place));
  EXPECT_FALSE(HasInk(second, old_place)) << "the earlier copy of the text stayed behind";
  EXPECT_TRUE(HasInk(second, new_place));
  // The file holds exactly the text drawn once on the picture.
  Raster expected = before;
  BurnOverlayText(state, expected);
  ExpectStampedCopyOf(ReadBytes(dir.path() / "second.bmp"), EncodeBmp(expected), 11710);
  // MergedBitmap itself never received the text.
  EXPECT_EQ(EncodeBmp(*state.merged.MergedBitmap), EncodeBmp(before));
}

TEST(SaveMerged, SaysWhereItWroteAndClosingNoLongerAsks) {
  TempDir dir;
  MakerState state = StateWithText(10, 10);
  testing::FakeFrontend frontend;
  const fs::path target = dir.path() / "merged.bmp";
  frontend.save_answers = {"", target.string()};
  SaveMerged(state, frontend);  // cancelled: still undelivered
  EXPECT_TRUE(frontend.messages.empty());
  EXPECT_FALSE(state.merged.Delivered);
  SaveMerged(state, frontend);
  EXPECT_EQ(frontend.messages, std::vector<std::string>{"Saved to \"" + target.string() + "\"."});
  EXPECT_TRUE(state.merged.Delivered);
  EXPECT_TRUE(MayClose(state, frontend));
  EXPECT_TRUE(frontend.questions.empty());
}

// Closing asks only for a merged picture never saved or printed; the answer decides.
TEST(MayClose, AsksOnlyForAnUndeliveredPicture) {
  struct Case {
    bool merged, delivered;
    std::deque<bool> answers;
    bool may_close;
    size_t questions;
  };
  const Case cases[] = {
      {false, false, {}, true, 0},
      {true, true, {}, true, 0},
      {true, false, {true}, true, 1},
      {true, false, {false}, false, 1},
  };
  for (const Case& c : cases) {
    MakerState state;
    if (c.merged) state.merged.MergedBitmap = Raster(4, 4);
    state.merged.Delivered = c.delivered;
    testing::FakeFrontend frontend;
    frontend.yes_no_answers = c.answers;
    EXPECT_EQ(MayClose(state, frontend), c.may_close);
    ASSERT_EQ(frontend.questions.size(), c.questions);
    if (c.questions > 0) {
      EXPECT_EQ(frontend.questions[0], kCloseUnsavedQuestion);
    }
  }
}

TEST(SaveMerged, CancelledDialogOrNoPictureWritesNothing) {
  TempDir dir;
  MakerState state = StateWithText(10, 10);
  const std::vector<uint8_t> before = EncodeBmp(*state.merged.MergedBitmap);
  testing::FakeFrontend frontend;
  frontend.save_answers = {""};
  SaveMerged(state, frontend);
  EXPECT_EQ(frontend.save_dialogs_shown, 1);
  EXPECT_EQ(EncodeBmp(*state.merged.MergedBitmap), before);

  MakerState empty;
  frontend.save_answers = {(dir.path() / "never.bmp").string()};
  SaveMerged(empty, frontend);
  EXPECT_EQ(frontend.save_dialogs_shown, 1) << "no picture: no dialog";
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(SaveMerged, TargetInAMissingFolderRaisesTheCreateError) {
  TempDir dir;
  const fs::path target = dir.path() / "missing" / "out.bmp";
  MakerState state = MergedState(2, 7, Gradient(12, 5));
  testing::FakeFrontend frontend;
  frontend.save_answers = {target.string()};
  try {
    SaveMerged(state, frontend);
    FAIL() << "the save reported success";
  } catch (const Error& e) {
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("Cannot create file \"", 0), 0u) << text;
    EXPECT_NE(text.find((dir.path() / "missing").string()), std::string::npos) << text;
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(SaveMerged, FullDiskLeavesTheExistingFileIntact) {
  SmallDisk disk;
  if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root and mount rights";
  const fs::path target = disk.path() / "out.bmp";
  const std::vector<uint8_t> old_file(1000, 0x5A);
  WriteBytes(target, old_file);
  // 200 x 200 at 24 bits is 120 KB: more than the disk holds.
  MakerState state = MergedState(2, 7, Gradient(200, 200));
  testing::FakeFrontend frontend;
  frontend.save_answers = {target.string()};
  try {
    SaveMerged(state, frontend);
    FAIL() << "the save reported success on a full disk";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(disk.path().string()), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadBytes(target), old_file);
  EXPECT_EQ(testing::Entries(disk.path()), std::vector<fs::path>{target}) << "a temporary file was left behind";
}

}  // namespace
}  // namespace lenti
